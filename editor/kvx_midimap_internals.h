// The MIDI map editor: the dialog a Shift-click on a panel control opens over one
// parameter's MIDI map entry. It edits which sources drive the parameter (a controller or
// pitch bend on a channel, note velocity, aftertouch, the modulation wheel), each source's
// input range, curve and invert, and learns the controller from what MIDI input the
// plug-in hears. OK stores the whole entry in the plug-in's map; Cancel discards every
// change. GUI thread only.
#pragma once

#include <string>

#include "editor/kvx_dialogs.h"
#include "gui/cauguicanvas.h"
#include "params/midimap_entry.h"

class KVXMidiRangeControl;

class KVXMidiMapInternals : public KVXDialog, public KVXTextEditHandler, public MidiLearnPopup {
 public:
  // The four source rows, top to bottom, with the entry slot each edits.
  enum Row : int { kControllerRow = 0, kVelocityRow = 1, kAftertouchRow = 2, kModWheelRow = 3, kRowCount = 4 };
  static constexpr int kCurveCount = 3;
  // What an accepted entry holds: controller 0..128 (128 is pitch bend), channel 1..16.
  static constexpr int kLastController = kMidiControllerPitchBend;
  static constexpr int kLastShownChannel = 16;

  KVXMidiMapInternals(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered,
                      const DialogImages& images);

  // Fills the dialog from `entry` (null: nothing mapped yet) for the parameter `control` is
  // bound to and shows it: as the canvas's modal pop-up, or over `returnPopup` as its
  // child pop-up when one is given. The learn box keeps its state.
  void open(CAUGuiCtrl* control, const MidiMapEntry* entry, CAUGuiCtrl* returnPopup);
  // The entry the dialog now shows (ranges in MIDI units), and whether its controller and
  // channel texts are acceptable (always so while the controller source is off).
  bool readEntry(MidiMapEntry& out) const;
  // OK: stores the entry and closes; with the controller source on and its controller or
  // channel text not acceptable, beeps, gives that field the focus and stays open.
  void onOk() override;
  void onCancel() override;
  void setCurve(int row, int curve);
  void setSourceEnabled(int row, bool enabled);

  // Greys every disabled source's area.
  void draw(DrawContext& context, int flags) override;
  // A point in a disabled source's area hits the dialog itself.
  CAUGuiCtrl* hitTest(GuiPoint p) override;
  // While the learn box is on: the controller number (128 for pitch bend) and the channel
  // (the low four bits of `status`) into the two fields. Numbers beyond 0..128 are not
  // controllers and are ignored.
  void midiLearned(int status, int number) override;

  // KVXTextEditHandler
  void onEnter(KVXTextEditor*) override { onOk(); }
  void onTab(KVXTextEditor*, bool) override {}
  void onEscape(KVXTextEditor*) override { onCancel(); }
  // MidiLearnPopup
  CAUGuiCtrl* learnControl() override { return this; }
  void openForLearn(CAUGuiCtrl* control, const MidiMapEntry* entry, CAUGuiCtrl* returnTo) override {
    open(control, entry, returnTo);
  }

  const std::string& title() const { return title_; }
  CAUGuiCtrl* returnPopup() const { return returnPopup_; }
  int parameter() const { return parameter_; }
  uint32_t sourceBits() const { return sourceBits_; }
  KVXTextEditor* controllerEditor() const { return controllerEditor_; }
  KVXTextEditor* channelEditor() const { return channelEditor_; }
  CAUGuiButton* learnBox() const { return learnBox_; }
  CAUGuiButton* enableBox(int row) const { return rows_[row].enable; }
  CAUGuiButton* invertBox(int row) const { return rows_[row].invert; }
  CAUGuiButton* curveButton(int row, int curve) const { return rows_[row].curves[curve]; }
  KVXMidiRangeControl* rangeControl(int row) const { return rows_[row].range; }
  // The area a row greys when its source is off, in editor coordinates.
  GuiRect greyArea(int row) const;

 private:
  struct RowControls {
    CAUGuiButton* enable = nullptr;
    CAUGuiButton* curves[kCurveCount] = {};
    CAUGuiButton* invert = nullptr;
    KVXMidiRangeControl* range = nullptr;
    int curve = kMidiCurveLinear;
  };
  static void curveClicked(int value, CAUGuiButton* button, void* dialog);
  static void enableClicked(int value, CAUGuiButton* button, void* dialog);
  void addRow(int row, const DialogImages& images, int y, int labelY, int curveY, const char* name,
              const int columns[6], int rangeLabelY, int rangeY);
  void close();

  KVXTextCtrl* titleLabel_ = nullptr;
  KVXTextEditor* controllerEditor_ = nullptr;
  KVXTextEditor* channelEditor_ = nullptr;
  CAUGuiButton* learnBox_ = nullptr;
  RowControls rows_[kRowCount];
  CAUGuiGraphic* gradient_ = nullptr;
  CAUGuiCtrl* returnPopup_ = nullptr;
  int parameter_ = 0;
  uint32_t sourceBits_ = 0;
  // The entry as opened: what a disabled controller source keeps.
  MidiMapEntry opened_{};
  std::string title_;
};
