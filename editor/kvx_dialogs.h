// The small dialogs behind the logo menu: load a MIDI map, save the MIDI map under a name,
// MIDI beat-clock synchronisation and the choice of a microtuning. Each is built once,
// hidden, and shown as the canvas's modal pop-up by its open call; OK (the button, Enter)
// tells its handler, which reads the result back; Cancel (the button, Escape) only closes.
// Also the pieces the MIDI map editor shares with them: the dialog images and the OK /
// Cancel frame. GUI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gui/kvxinternalpopup.h"
#include "gui/kvxlists.h"
#include "gui/kvxtext.h"

class CAUGuiButton;
class CAUGuiGraphic;
class CAUGuiSlider;
class KVXLoadMidiMapInternal;
class KVXSaveMidiMapInternal;
class KVXMidiBeatInternal;
class KVXTuningsInternal;
struct ParamBinding;

// The images of the dialogs' own controls, made once per editor and owned by the canvas.
struct DialogImages {
  CAUGuiGraphic* ok = nullptr;
  CAUGuiGraphic* cancel = nullptr;
  CAUGuiGraphic* checkbox = nullptr;
  CAUGuiGraphic* linear = nullptr;
  CAUGuiGraphic* log = nullptr;
  CAUGuiGraphic* exp = nullptr;
  CAUGuiGraphic* leftRangeCap = nullptr;
  CAUGuiGraphic* rightRangeCap = nullptr;
  CAUGuiGraphic* gradient = nullptr;
  CAUGuiGraphic* sliderHandle = nullptr;
  CAUGuiGraphic* sliderBack = nullptr;

  static DialogImages make(CAUGuiCanvas* canvas);
  static constexpr int kCount = 11;
};

// A dialog with a title, an OK and a Cancel button (both shown unpressed at each opening)
// and the keys Enter = OK, Escape = Cancel. Children are placed relative to the dialog.
class KVXDialog : public KVXInternalPopup {
 public:
  KVXDialog(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered);

  // Labels that overlap a control of the dialog never take its clicks.
  CAUGuiCtrl* hitTest(GuiPoint p) override;
  // 10 and 13: OK; 27: Cancel; other keys are not taken.
  int keyDown(uint8_t key, int modifiers) override;
  virtual void onOk() = 0;
  virtual void onCancel();

  CAUGuiButton* okButton() const { return ok_; }
  CAUGuiButton* cancelButton() const { return cancel_; }

 protected:
  KVXTextCtrl* addLabel(const GuiRect& r, const char* text, int fontSize);
  CAUGuiButton* addToggle(const DialogImages& images, int x, int y);
  void addOkCancel(const DialogImages& images, GuiPoint cancelAt, GuiPoint okAt);
  // Moves every child by the dialog's inner offset, once they are all added.
  void offsetChildren(int dx, int dy);
  // Shows the dialog with OK and Cancel unpressed: modal over the top pane, or as the child
  // pop-up of `over` (which stays the modal one).
  void show(KVXInternalPopup* over = nullptr);
  // Ends the modal state and has the covered control redraw the dialog's area.
  void closePopup();

 private:
  CAUGuiButton* ok_ = nullptr;
  CAUGuiButton* cancel_ = nullptr;
};

// What the view does when a dialog's OK is pressed.
class KVXLoadMidiMapHandler {
 public:
  virtual void onMidiMapChosen(KVXLoadMidiMapInternal* dialog) = 0;

 protected:
  ~KVXLoadMidiMapHandler() = default;
};
class KVXSaveMidiMapHandler {
 public:
  virtual void onMidiMapNamed(KVXSaveMidiMapInternal* dialog) = 0;

 protected:
  ~KVXSaveMidiMapHandler() = default;
};
class KVXMidiBeatHandler {
 public:
  virtual void onMidiBeatSet(KVXMidiBeatInternal* dialog) = 0;

 protected:
  ~KVXMidiBeatHandler() = default;
};
class KVXTuningsHandler {
 public:
  virtual void onTuningChosen(KVXTuningsInternal* dialog) = 0;

 protected:
  ~KVXTuningsHandler() = default;
};

// A list of names in a string menu; OK takes the menu's choice.
class KVXNameChoiceDialog : public KVXDialog, public KVXStringMenuHandler {
 public:
  KVXNameChoiceDialog(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered,
                      const DialogImages& images, const char* title, int titleX, GuiPoint cancelAt, GuiPoint okAt,
                      GuiPoint offset);
  // The chosen index; -1 when the list is empty or nothing was chosen.
  int selection() const { return chosen_; }
  KVXStringMenu* menu() const { return menu_; }
  void onItemChosen(KVXStringMenu* menu) override;

 protected:
  // Fills the menu (an empty list gives an empty menu) and shows the dialog.
  void openWith(std::vector<std::string> names, int selected);
  // Takes the menu's choice, closes, and true when there is one to tell the handler.
  bool takeChoice();

 private:
  KVXStringMenu* menu_ = nullptr;
  int chosen_ = -1;
};

class KVXLoadMidiMapInternal : public KVXNameChoiceDialog {
 public:
  KVXLoadMidiMapInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered,
                         const DialogImages& images, KVXLoadMidiMapHandler* handler);
  // Takes its own copy of the names.
  void open(int selected, std::vector<std::string> names);
  void onOk() override;

 private:
  KVXLoadMidiMapHandler* handler_;
};

class KVXTuningsInternal : public KVXNameChoiceDialog {
 public:
  KVXTuningsInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered,
                     const DialogImages& images, KVXTuningsHandler* handler);
  // Lists the tuning files of the data folder and shows the dialog.
  void open(int selected);
  void onOk() override;

 private:
  KVXTuningsHandler* handler_;
};

class KVXSaveMidiMapInternal : public KVXDialog, public KVXTextEditHandler {
 public:
  // The longest name the dialog takes.
  static constexpr int kMaxName = 100;
  KVXSaveMidiMapInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered,
                         const DialogImages& images, KVXSaveMidiMapHandler* handler);
  void open(const std::string& name);
  // The typed name, cut to limit - 1 characters.
  void getText(char* buffer, std::size_t limit) const;
  std::string text() const;
  // A blank name (empty or white space only) is refused with a beep; the dialog stays.
  void onOk() override;
  void onEnter(KVXTextEditor*) override { onOk(); }
  void onTab(KVXTextEditor*, bool) override {}
  void onEscape(KVXTextEditor*) override { onCancel(); }
  KVXTextEditor* nameEditor() const { return editor_; }

 private:
  KVXSaveMidiMapHandler* handler_;
  KVXTextEditor* editor_ = nullptr;
};

// The four beat settings the dialog edits, as the plug-in stores them.
struct BeatSettings {
  int clockPulses = 24;
  bool clockSync = false;
  int lfoPulses = 24;
  bool lfoSync = false;
};
// A typed pulse count: a whole number of at least 1; anything else (empty, 0, negative,
// not a number) is 1, so the plug-in never divides by it wrongly.
int pulsesFromText(const std::string& text);
// Sets parameters 82 clock sync, 83 clock pulses, 84 LFO sync and 85 LFO pulses, in that
// order, through `setReal` (index, plain value).
void applyBeatSettings(const BeatSettings& settings, const std::function<void(int, float)>& setReal);

class KVXMidiBeatInternal : public KVXDialog, public KVXTextEditHandler {
 public:
  // `clockOffset` and `lfoOffset` bind the two sliders (parameters 73 and 74).
  KVXMidiBeatInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered,
                      const DialogImages& images, const ParamBinding& clockOffset, const ParamBinding& lfoOffset,
                      KVXMidiBeatHandler* handler);
  // The pulse counts and sync flags into the fields, the two offsets (plain values) into
  // the sliders without reporting them; then shows.
  void open(int clockPulses, bool clockSync, int lfoPulses, bool lfoSync, float clockOffset, float lfoOffset);
  BeatSettings readSettings() const;
  void onOk() override;
  void onEnter(KVXTextEditor*) override { onOk(); }
  void onTab(KVXTextEditor*, bool) override {}
  void onEscape(KVXTextEditor*) override { onCancel(); }

  KVXTextEditor* clockPulsesEditor() const { return clockPulses_; }
  KVXTextEditor* lfoPulsesEditor() const { return lfoPulses_; }
  CAUGuiButton* clockSyncBox() const { return clockSync_; }
  CAUGuiButton* lfoSyncBox() const { return lfoSync_; }
  CAUGuiSlider* clockOffsetSlider() const { return clockOffset_; }
  CAUGuiSlider* lfoOffsetSlider() const { return lfoOffset_; }

 private:
  KVXMidiBeatHandler* handler_;
  KVXTextEditor* clockPulses_ = nullptr;
  KVXTextEditor* lfoPulses_ = nullptr;
  CAUGuiButton* clockSync_ = nullptr;
  CAUGuiButton* lfoSync_ = nullptr;
  CAUGuiSlider* clockOffset_ = nullptr;
  CAUGuiSlider* lfoOffset_ = nullptr;
};
