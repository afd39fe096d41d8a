// The panel's notes area: the current patch's notes word-wrapped into lines of at most 34
// characters, six lines in view, with its own scroll bar; and the MIDI map editor's range
// control, a bar with a low and a high cap in 0..1. GUI thread only.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "gui/cauguictrl.h"
#include "gui/kvxscroll.h"

class CAUGuiGraphic;
class KVXNotesSlider;

// The lines of notes text, as (start, length) spans of it. A line holds at most 34
// characters; a carriage return, a line feed (a CR LF pair counts once) or the byte 3
// always ends a line there; otherwise a long line breaks at the last white space found at
// places 34 down to 20, or hard after 34 characters.
std::vector<std::pair<std::size_t, std::size_t>> wrapNotes(const std::string& notes);

class KVXNotesArea : public CAUGuiCtrl, public KVXScrollable {
 public:
  static constexpr std::size_t kLineLength = 34;
  static constexpr int kLinesShown = 6;

  // The notes come from the canvas's plug-in (its current patch, when notes are shown).
  KVXNotesArea(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, KVXNotesSlider* slider);

  void setScroll(float position) override;
  float scroll() const override;
  // 6 / the line count, at most 1; 1 without notes to show (the scroll then goes back to
  // the top).
  float visibleFraction() override;
  CAUGuiCtrl* scrolledControl() override { return this; }

  // Reads the notes again, recounts the lines and redraws the area and its scroll bar.
  void redraw() override;
  void draw(DrawContext& context, int flags) override;
  // A drag over the text scrolls it, as the scroll bar does.
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;

  void setSlider(KVXNotesSlider* slider) { slider_ = slider; }
  int lineCount() const { return lineCount_; }
  const std::string& notes() const { return notes_; }
  // The first line in view.
  int firstShown() const;

 private:
  bool readNotes();

  float scroll_ = 0.0f;
  int fontHeight_ = 12;
  int lineCount_ = 0;
  bool shown_ = false;
  std::string notes_;
  CAUGuiGraphic* background_;
  KVXNotesSlider* slider_;
};

class KVXNotesSlider : public KVXScrollSlider {
 public:
  KVXNotesSlider(CAUGuiCanvas* canvas, const GuiRect& rect, int unused, KVXNotesArea* area);
  void setArea(KVXNotesArea* area) { target_ = area; }
  // A grey thumb across the whole width, nothing while all the notes are in view.
  void draw(DrawContext& context, int flags) override;
};

class KVXMidiRangeControl : public CAUGuiCtrl {
 public:
  // Zones a press can start in.
  enum Zone : int { kNoZone = 0, kLowCap = 1, kHighCap = 2, kBar = 3 };
  static constexpr int kCapSize = 20;

  KVXMidiRangeControl(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiGraphic* leftCap,
                      CAUGuiGraphic* rightCap);

  // The control whose parameter the range applies to: its readouts label the ends and its
  // resolution divides fine drags.
  void setTarget(CAUGuiCtrl* target) { target_ = target; }
  CAUGuiCtrl* target() const { return target_; }
  // Both limited to 0..1 and put in order; redraws.
  void setRange(float low, float high);
  float low() const { return low_; }
  float high() const { return high_; }
  int zone() const { return zone_; }

  // The bar, the range in green between the caps, the end readouts above.
  void draw(DrawContext& context, int flags) override;
  // A press on a cap grabs it, between the caps the bar (Alt: centres the range). Dragging
  // a cap moves it (Ctrl: finely) but never past the other; dragging the bar moves both,
  // keeping the span, and stops at the ends.
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;

 private:
  // The travel of the caps in pixels (the width less both caps); at least 1.
  float travel() const;
  void placeCaps();

  CAUGuiGraphic* background_;
  CAUGuiGraphic* leftCap_;
  CAUGuiGraphic* rightCap_;
  CAUGuiCtrl* target_ = nullptr;
  GuiRect leftRect_{};
  GuiRect rightRect_{};
  float low_ = 0.0f;
  float high_ = 1.0f;
  float grab_ = 0.0f;
  GuiPoint last_{};
  int zone_ = -1;
};
