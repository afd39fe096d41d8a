#include "editor/kvx_midimap_internals.h"

#include <charconv>

#include "gui/cauguibutton.h"
#include "gui/cauguigraphic.h"
#include "gui/kvxnotes.h"
#include "platform/platform.h"
#include "plugin/midi_map.h"

namespace {

constexpr float kMidiTop = 127.0f;
constexpr uint8_t kGreyAlpha = 100;
// Where the children stand inside the dialog, once placed by their table positions.
constexpr int kOffsetX = 30, kOffsetY = 40;

// Entry slot and source bit of each row, top to bottom.
constexpr int kSlotOf[KVXMidiMapInternals::kRowCount] = {kMidiSourceController, kMidiSourceVelocity,
                                                          kMidiSourceAftertouch, kMidiSourceModWheel};
constexpr uint32_t bitOf(int row) { return 1u << kSlotOf[row]; }

// The greyed area of each row (x, y, w, h from the dialog's corner) and the band of y a
// disabled row keeps the mouse from (from, to).
struct RowArea {
  GuiRect grey;
  int hitFrom, hitTo;
};
constexpr RowArea kRowAreas[KVXMidiMapInternals::kRowCount] = {
    {{78, 110, 354, 110}, 95, 230},
    {{78, 260, 354, 60}, 260, 320},
    {{78, 322, 354, 60}, 320, 380},
    {{78, 384, 354, 60}, 380, 440},
};
constexpr int kHitLeft = 80, kHitRight = 430;

// A whole decimal number within lowest..highest; false for anything else (empty text,
// other characters, out of range).
bool wholeNumber(const std::string& text, int lowest, int highest, int& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last || value < lowest || value > highest) return false;
  out = value;
  return true;
}

}  // namespace

KVXMidiMapInternals::KVXMidiMapInternals(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                         CAUGuiCtrl* covered, const DialogImages& images)
    : KVXDialog(canvas, rect, background, covered), gradient_(images.gradient) {
  titleLabel_ = addLabel({12, 6, 400, 20}, "", 18);
  addLabel({10, 34, 180, 20}, "Global MIDI Map Settings", 0);

  RowControls& c = rows_[kControllerRow];
  c.enable = addToggle(images, 14, 75);
  c.enable->setCallback(enableClicked, this);
  addLabel({50, 75, 111, 20}, "Midi Controller", 0);
  controllerEditor_ = new KVXTextEditor(canvas, GuiRect{152, 75, 37, 20}, 0, this);
  controllerEditor_->rules = TextRules::digits(0, kLastController);
  addChild(controllerEditor_);
  addLabel({195, 75, 65, 20}, "Sensitivity:", 0);
  CAUGuiGraphic* const curveImages[kCurveCount] = {images.linear, images.log, images.exp};
  // The buttons read linear, log, exp from the left; each sets its curve's value.
  const int curveValues[kCurveCount] = {kMidiCurveLinear, kMidiCurveLogarithmic, kMidiCurveExponential};
  auto addCurves = [&](RowControls& r, const int xs[kCurveCount], int y) {
    for (int i = 0; i < kCurveCount; ++i) {
      auto* b = new CAUGuiButton(canvas, 2, GuiRect{xs[i], y, 24, 24}, curveImages[i], nullptr,
                                 CAUGuiButton::kFixedValue);
      b->setFixedValue(curveValues[i]);
      b->setCallback(curveClicked, this);
      addChild(b);
      r.curves[i] = b;
    }
  };
  const int controllerCurves[kCurveCount] = {263, 283, 303};
  addCurves(c, controllerCurves, 75);
  c.invert = addToggle(images, 334, 75);
  addLabel({360, 75, 70, 20}, "Invert", 0);
  addLabel({50, 105, 87, 20}, "Control Range:", 0);
  c.range = new KVXMidiRangeControl(canvas, GuiRect{140, 101, 260, 30}, nullptr, images.leftRangeCap,
                                    images.rightRangeCap);
  addChild(c.range);
  addLabel({162, 128, 78, 20}, "MIDI Channel:", 0);
  channelEditor_ = new KVXTextEditor(canvas, GuiRect{240, 136, 37, 20}, 0, this);
  channelEditor_->rules = TextRules::digits(1, kLastShownChannel);
  addChild(channelEditor_);
  addLabel({162, 154, 111, 20}, "Midi Learn", 0);
  learnBox_ = addToggle(images, 240, 158);
  addLabel({10, 189, 111, 20}, "Patch Specific Settings", 0);

  struct PatchRow {
    int row, y, labelY, curveY, rangeLabelY, rangeY;
    const char* name;
  };
  const PatchRow patchRows[] = {
      {kVelocityRow, 221, 221, 223, 256, 247, "Velocity"},
      {kAftertouchRow, 282, 283, 284, 318, 310, "Aftertouch"},
      {kModWheelRow, 344, 345, 346, 380, 371, "Mod. Wheel"},
  };
  const int patchCurves[kCurveCount] = {228, 248, 268};
  for (const PatchRow& p : patchRows) {
    RowControls& r = rows_[p.row];
    r.enable = addToggle(images, 14, p.y);
    r.enable->setCallback(enableClicked, this);
    addLabel({50, p.labelY, 100, 20}, p.name, 0);
    addLabel({160, p.labelY, 65, 20}, "Sensitivity:", 0);
    addCurves(r, patchCurves, p.curveY);
    r.invert = addToggle(images, 316, p.y);
    addLabel({340, p.labelY, 70, 20}, "Invert", 0);
    addLabel({50, p.rangeLabelY, 87, 20}, "Control Range:", 0);
    r.range = new KVXMidiRangeControl(canvas, GuiRect{140, p.rangeY, 260, 30}, nullptr, images.leftRangeCap,
                                      images.rightRangeCap);
    addChild(r.range);
  }
  addOkCancel(images, {130, 422}, {220, 422});
  offsetChildren(kOffsetX, kOffsetY);
}

void KVXMidiMapInternals::curveClicked(int value, CAUGuiButton* button, void* dialog) {
  auto* self = static_cast<KVXMidiMapInternals*>(dialog);
  for (int row = 0; row < kRowCount; ++row)
    for (CAUGuiButton* b : self->rows_[row].curves)
      if (b == button) self->setCurve(row, value);
}

void KVXMidiMapInternals::enableClicked(int value, CAUGuiButton* button, void* dialog) {
  auto* self = static_cast<KVXMidiMapInternals*>(dialog);
  for (int row = 0; row < kRowCount; ++row)
    if (self->rows_[row].enable == button) self->setSourceEnabled(row, value != 0);
}

void KVXMidiMapInternals::setCurve(int row, int curve) {
  if (row < 0 || row >= kRowCount) return;
  RowControls& r = rows_[row];
  r.curve = curve;
  for (CAUGuiButton* b : r.curves) {
    b->setValue(static_cast<float>(curve));
    b->redraw();
  }
}

void KVXMidiMapInternals::setSourceEnabled(int row, bool enabled) {
  if (row < 0 || row >= kRowCount) return;
  if (enabled)
    sourceBits_ |= bitOf(row);
  else
    sourceBits_ &= ~bitOf(row);
  invalidate(bounds_);
}

void KVXMidiMapInternals::open(CAUGuiCtrl* control, const MidiMapEntry* entry, CAUGuiCtrl* returnPopup) {
  parameter_ = control && control->isBound() ? control->binding().index : 0;
  opened_ = blankMidiMapEntry(parameter_);
  if (entry) {
    opened_ = *entry;
    opened_.parameter = parameter_;
  }
  returnPopup_ = returnPopup;
  sourceBits_ = opened_.sourceBits;

  title_ = "Item: ";
  if (control && control->isBound()) title_ += control->binding().desc.name;
  title_ = title_.substr(0, 255);
  titleLabel_->setText(title_);

  for (int row = 0; row < kRowCount; ++row) {
    RowControls& r = rows_[row];
    const int slot = kSlotOf[row];
    r.enable->setValue((sourceBits_ & bitOf(row)) ? 1.0f : 0.0f);
    r.range->setTarget(control);
    r.range->setRange(opened_.range[slot].low / kMidiTop, opened_.range[slot].high / kMidiTop);
    r.invert->setValue(opened_.invert[slot] != 0 ? 1.0f : 0.0f);
    setCurve(row, opened_.curve[slot] >= kMidiCurveLinear && opened_.curve[slot] <= kMidiCurveLogarithmic
                      ? opened_.curve[slot]
                      : kMidiCurveLinear);
  }
  controllerEditor_->setText(std::to_string(opened_.controller));
  channelEditor_->setText(std::to_string(opened_.channel + 1));

  show(dynamic_cast<KVXInternalPopup*>(returnPopup_));
  invalidate(bounds_);
}

bool KVXMidiMapInternals::readEntry(MidiMapEntry& out) const {
  out = opened_;
  out.parameter = parameter_;
  out.sourceBits = sourceBits_;
  for (int row = 0; row < kRowCount; ++row) {
    const RowControls& r = rows_[row];
    const int slot = kSlotOf[row];
    out.range[slot] = {r.range->low() * kMidiTop, r.range->high() * kMidiTop};
    out.invert[slot] = r.invert->position() != 0 ? 1 : 0;
    out.curve[slot] = r.curve;
  }
  int controller = 0, channel = 0;
  const bool valid = wholeNumber(controllerEditor_->text(), 0, kLastController, controller) &&
                     wholeNumber(channelEditor_->text(), 1, kLastShownChannel, channel);
  if (valid) {
    out.controller = controller;
    out.channel = channel - 1;
  }
  return valid || (sourceBits_ & kMidiBitController) == 0;
}

void KVXMidiMapInternals::onOk() {
  MidiMapEntry entry;
  if (!readEntry(entry)) {
    int unused = 0;
    KVXTextEditor* bad =
        wholeNumber(controllerEditor_->text(), 0, kLastController, unused) ? channelEditor_ : controllerEditor_;
    platform::beep(KVXTextEditor::kBeepHz, KVXTextEditor::kBeepMs);
    if (canvas_) canvas_->setFocus(bad);
    return;
  }
  if (canvas_) canvas_->setMidiMapEntry(entry);
  close();
}

void KVXMidiMapInternals::onCancel() { close(); }

void KVXMidiMapInternals::close() {
  if (canvas_) canvas_->clearMidiLearnTarget();
  if (auto* parent = dynamic_cast<KVXInternalPopup*>(returnPopup_)) {
    // Back to the dialog it opened over, which is still the modal pop-up.
    parent->setChildPopup(nullptr);
    parent->invalidate(bounds_);
  } else if (canvas_) {
    canvas_->closeModal();
  }
  if (CAUGuiCtrl* covered = coveredControl()) covered->invalidate(bounds_);
  returnPopup_ = nullptr;
}

GuiRect KVXMidiMapInternals::greyArea(int row) const {
  const GuiRect& g = kRowAreas[row].grey;
  return {bounds_.x + g.x, bounds_.y + g.y, g.w, g.h};
}

void KVXMidiMapInternals::draw(DrawContext& context, int flags) {
  KVXDialog::draw(context, flags);
  if (!gradient_) return;
  gradient_->setConstantAlpha(kGreyAlpha);
  for (int row = 0; row < kRowCount; ++row)
    if ((sourceBits_ & bitOf(row)) == 0) gradient_->draw(context, flags, greyArea(row), 0.0f);
  gradient_->setConstantAlpha(255);
}

CAUGuiCtrl* KVXMidiMapInternals::hitTest(GuiPoint p) {
  if (!getChildPopup() && bounds_.contains(p) && p.x >= bounds_.x + kHitLeft && p.x < bounds_.x + kHitRight)
    for (int row = 0; row < kRowCount; ++row)
      if ((sourceBits_ & bitOf(row)) == 0 && p.y >= bounds_.y + kRowAreas[row].hitFrom &&
          p.y < bounds_.y + kRowAreas[row].hitTo)
        return this;
  return KVXDialog::hitTest(p);
}

void KVXMidiMapInternals::midiLearned(int status, int number) {
  if (learnBox_->position() == 0 || number < 0 || number > kLastController) return;
  controllerEditor_->setText(std::to_string(number));
  channelEditor_->setText(std::to_string((status & 0x0F) + 1));
  controllerEditor_->redraw();
  channelEditor_->redraw();
}
