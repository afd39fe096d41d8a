// The keyboard at the bottom of the panel: the keys are part of the board image; the
// control highlights the keys the plug-in holds (played here or from MIDI), turns presses
// and drags into notes, and latches notes while the hold strip is on. A release only ends
// notes this keyboard started, and closing the editor ends every note it still holds.
// GUI thread only.
#pragma once

#include <cstdint>

#include "gui/cauguictrl.h"

class EditorInterface;

// What the keyboard plays and shows.
class PanelKeys {
 public:
  // A note on (velocity 64) or off (velocity 0), played by the audio thread at its next sample.
  virtual void playNote(int key, int velocity) = 0;
  // The plug-in's key states, non-zero for a key that is down.
  virtual void heldKeys(bool held[128]) = 0;

 protected:
  ~PanelKeys() = default;
};

// The keys of the plug-in behind the editor, through its editor interface: the notes take
// the plug-in's hand-over to the audio thread, the key states its published snapshot.
class EditorPanelKeys final : public PanelKeys {
 public:
  explicit EditorPanelKeys(EditorInterface& editor) : editor_(editor) {}
  void playNote(int key, int velocity) override;
  void heldKeys(bool held[128]) override;

 private:
  EditorInterface& editor_;
};

class Quorvane_Keyboard : public CAUGuiCtrl {
 public:
  static constexpr int kUpperHeight = 66;  // the black keys' rows
  static constexpr int kHoldStrip = 10;    // the hold strip along the bottom
  static constexpr int kVelocity = 64;
  static constexpr uint32_t kKeyColour = 0xCC3333;
  static constexpr uint32_t kHoldColour = 0x999999;

  // `keysWidth` is the width over which the keys from the lowest to the highest start, one
  // semitone apart (the bounds' width when 0); the bounds may reach further right to take in
  // the highest key itself.
  Quorvane_Keyboard(CAUGuiCanvas* canvas, const GuiRect& rect, PanelKeys* keys, int keysWidth = 0);
  ~Quorvane_Keyboard() override;

  void draw(DrawContext& context, int flags) override;
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;
  // Follows the plug-in's key states: a key that changed is shown at the next drawing pass.
  bool needsRedraw() const override;
  // v > 127: note v - 128 released, else note v pressed (setKeyState), then a redraw.
  void setValue(float v) override;

  virtual void setRange(int high, int low);
  virtual void drawKey(DrawContext& context, int flags, int note);
  virtual void drawOverlay(DrawContext& context, int flags);
  virtual void setKeyState(int note, bool down);
  virtual int isKeyDown(int note) const;
  virtual void setOverlayFlag(int flag);
  virtual int overlayFlag() const;

  // Note off for every note 0..127, notes held from MIDI included.
  void allNotesOff();
  // Note off for every note this keyboard holds (sounding or latched).
  void releaseHeldNotes();
  // The key under a point of the keyboard.
  int keyAt(GuiPoint p);
  bool hold() const { return hold_ != 0; }
  int lowKey() const { return lowKey_; }
  int highKey() const { return highKey_; }
  bool holds(int note) const { return note >= 0 && note < 128 && sounding_[note]; }

 private:
  enum Mode { kRelease = 0, kPress = 1, kDrag = 2 };
  void trackMouse(GuiPoint p, Mode mode);
  void noteOn(int key);
  void noteOff(int key);
  double pixelsPerKey() const;

  int highKey_ = 107;
  int lowKey_ = 21;
  double pixelsPerKey_ = 0.0;
  int lastKey_ = -1;
  mutable int32_t shownKeys_[128] = {};
  PanelKeys* keys_ = nullptr;
  int overlayFlag_ = 0;
  int hold_ = 0;
  int keysWidth_ = 0;
  bool sounding_[128] = {};    // notes this keyboard started and has not ended
  bool stripGesture_ = false;  // the press toggled hold: its drags and release play nothing
};
