#include "editor/kvx_dialogs.h"

#include "editor/dialog_parts.h"

#include <cctype>
#include <charconv>

#include "gui/cauguibutton.h"
#include "gui/cauguicanvas.h"
#include "gui/cauguigraphic.h"
#include "gui/cauguislider.h"
#include "platform/platform.h"
#include "plugin/note_table.h"

namespace {

constexpr int kButtonWidth = 80, kButtonHeight = 24;
constexpr int kMenuTag = 1239;
constexpr int kTitleSize = 19;
constexpr int kParamClockSync = 82, kParamClockPulses = 83, kParamLfoSync = 84, kParamLfoPulses = 85;
constexpr int kMaxPulses = 100000;
// A handle image that travels along x (1 would be along y).
constexpr int kHandleAlongX = 0;

CAUGuiGraphic* given(CAUGuiCanvas* canvas, CAUGuiGraphic* image) {
  if (canvas) canvas->addGraphic(image);
  return image;
}

bool isBlank(const std::string& text) {
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  return true;
}

void okClicked(int, CAUGuiButton*, void* dialog) { static_cast<KVXDialog*>(dialog)->onOk(); }
void cancelClicked(int, CAUGuiButton*, void* dialog) { static_cast<KVXDialog*>(dialog)->onCancel(); }

}  // namespace

// --- images and the dialog frame -----------------------------------------------------------

DialogImages DialogImages::make(CAUGuiCanvas* canvas) {
  DialogImages i;
  i.ok = given(canvas, new CAUGuiGraphic("ok.png", 2));
  i.cancel = given(canvas, new CAUGuiGraphic("cancel.png", 2));
  i.checkbox = given(canvas, new CAUGuiGraphic("checkbox.png", 2));
  i.linear = given(canvas, new CAUGuiGraphic("linear.png", 2));
  i.log = given(canvas, new CAUGuiGraphic("log.png", 2));
  i.exp = given(canvas, new CAUGuiGraphic("exp.png", 2));
  i.leftRangeCap = given(canvas, new CAUGuiGraphic("leftrangecap.png"));
  i.rightRangeCap = given(canvas, new CAUGuiGraphic("rightrangecap.png"));
  i.gradient = given(canvas, new CAUGuiGraphic("gradient.png"));
  i.sliderHandle = given(canvas, new CAUGuiHandleImage("smallslider1.png", 0, 0, kHandleAlongX));
  i.sliderBack = given(canvas, new CAUGuiGraphic("small_back1.png"));
  return i;
}

KVXDialog::KVXDialog(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered)
    : KVXInternalPopup(canvas, rect, background, covered) {}

CAUGuiCtrl* KVXDialog::hitTest(GuiPoint p) {
  CAUGuiCtrl* hit = KVXInternalPopup::hitTest(p);
  if (getChildPopup() || !dynamic_cast<KVXTextCtrl*>(hit)) return hit;
  for (CAUGuiCtrl* c = firstChild(); c; c = c->nextCtrl())
    if (!dynamic_cast<KVXTextCtrl*>(c) && c->bounds().contains(p)) return c;
  return hit;
}

int KVXDialog::keyDown(uint8_t key, int) {
  switch (dialogKey(key)) {
    case DialogKey::Ok: onOk(); return kHandled;
    case DialogKey::Cancel: onCancel(); return kHandled;
    default: return kNotHandled;
  }
}

void KVXDialog::onCancel() { closePopup(); }

KVXTextCtrl* KVXDialog::addLabel(const GuiRect& r, const char* text, int fontSize) {
  auto* label = new KVXTextCtrl(canvas_, r);
  if (fontSize > 0) label->setFontHeight(fontSize);
  label->setText(text);
  addChild(label);
  return label;
}

CAUGuiButton* KVXDialog::addToggle(const DialogImages& images, int x, int y) {
  auto* box = new CAUGuiButton(canvas_, 1, GuiRect{x, y, 20, 22}, images.checkbox, nullptr, CAUGuiButton::kToggle);
  addChild(box);
  return box;
}

void KVXDialog::addOkCancel(const DialogImages& images, GuiPoint cancelAt, GuiPoint okAt) {
  cancel_ = new CAUGuiButton(canvas_, 1, GuiRect{cancelAt.x, cancelAt.y, kButtonWidth, kButtonHeight}, images.cancel,
                             nullptr, CAUGuiButton::kMomentary);
  cancel_->setCallback(cancelClicked, this);
  addChild(cancel_);
  ok_ = new CAUGuiButton(canvas_, 1, GuiRect{okAt.x, okAt.y, kButtonWidth, kButtonHeight}, images.ok, nullptr,
                         CAUGuiButton::kMomentary);
  ok_->setCallback(okClicked, this);
  addChild(ok_);
}

void KVXDialog::offsetChildren(int dx, int dy) {
  for (CAUGuiCtrl* c = firstChild(); c; c = c->nextCtrl()) c->moveBy(dx, dy);
}

void KVXDialog::show(KVXInternalPopup* over) {
  for (CAUGuiButton* b : {ok_, cancel_})
    if (b) b->setValue(0.0f);
  if (over) {
    over->setChildPopup(this);
  } else if (canvas_) {
    if (CAUGuiCtrl* pane = canvas_->topPane()) pane->setActiveChild(this);
    canvas_->setModal(this);
  }
  setShown(true);
  redraw();
}

void KVXDialog::closePopup() {
  if (canvas_ && canvas_->modal() == this) canvas_->closeModal();
  if (CAUGuiCtrl* covered = coveredControl()) covered->invalidate(bounds_);
}

// --- choosing a name from a list ---------------------------------------------------------

KVXNameChoiceDialog::KVXNameChoiceDialog(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                         CAUGuiCtrl* covered, const DialogImages& images, const char* title,
                                         int titleX, GuiPoint cancelAt, GuiPoint okAt, GuiPoint offset)
    : KVXDialog(canvas, rect, background, covered) {
  addLabel({titleX, 10, 250, 20}, title, kTitleSize);
  menu_ = new KVXStringMenu(canvas, GuiRect{40, 50, 250, 20}, kMenuTag, {}, -1, this);
  addChild(menu_);
  addOkCancel(images, cancelAt, okAt);
  offsetChildren(offset.x, offset.y);
}

void KVXNameChoiceDialog::onItemChosen(KVXStringMenu* menu) { chosen_ = menu->selected(); }

void KVXNameChoiceDialog::openWith(std::vector<std::string> names, int selected) {
  menu_->setItems(std::move(names), selected);
  chosen_ = menu_->selected();
  show();
}

bool KVXNameChoiceDialog::takeChoice() {
  chosen_ = menu_->selected();
  closePopup();
  return chosen_ >= 0;
}

KVXLoadMidiMapInternal::KVXLoadMidiMapInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                               CAUGuiCtrl* covered, const DialogImages& images,
                                               KVXLoadMidiMapHandler* handler)
    : KVXNameChoiceDialog(canvas, rect, background, covered, images, "Load Midi Map:", 120, {60, 120}, {192, 120},
                          {24, 33}),
      handler_(handler) {}

void KVXLoadMidiMapInternal::open(int selected, std::vector<std::string> names) { openWith(std::move(names), selected); }

void KVXLoadMidiMapInternal::onOk() {
  // An empty list offers nothing to load: OK only closes then.
  if (takeChoice() && handler_) handler_->onMidiMapChosen(this);
}

KVXTuningsInternal::KVXTuningsInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                       CAUGuiCtrl* covered, const DialogImages& images, KVXTuningsHandler* handler)
    : KVXNameChoiceDialog(canvas, rect, background, covered, images, "Load Tuning Table:", 100, {40, 110},
                          {217, 110}, {24, 38}),
      handler_(handler) {}

void KVXTuningsInternal::open(int selected) { openWith(tuningNames(), selected); }

void KVXTuningsInternal::onOk() {
  if (takeChoice() && handler_) handler_->onTuningChosen(this);
}

// --- saving the map under a name ---------------------------------------------------------

KVXSaveMidiMapInternal::KVXSaveMidiMapInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                               CAUGuiCtrl* covered, const DialogImages& images,
                                               KVXSaveMidiMapHandler* handler)
    : KVXDialog(canvas, rect, background, covered), handler_(handler) {
  addLabel({80, 10, 250, 20}, "Save Midi Map:", kTitleSize);
  editor_ = new KVXTextEditor(canvas, GuiRect{40, 50, 200, 20}, 0, this);
  editor_->rules.maxLength = kMaxName;
  addChild(editor_);
  addOkCancel(images, {30, 110}, {172, 110});
  offsetChildren(44, 37);
}

void KVXSaveMidiMapInternal::open(const std::string& name) {
  if (!editor_->setText(name.substr(0, kMaxName))) editor_->setText("");
  show();
}

void KVXSaveMidiMapInternal::getText(char* buffer, std::size_t limit) const { editor_->getText(buffer, limit); }

std::string KVXSaveMidiMapInternal::text() const { return editor_->text(); }

void KVXSaveMidiMapInternal::onOk() {
  // A blank name would be a blank line of the map list, which numbers every later map
  // wrongly: it is refused and the dialog waits for a name.
  if (isBlank(editor_->text())) {
    platform::beep(KVXTextEditor::kBeepHz, KVXTextEditor::kBeepMs);
    return;
  }
  closePopup();
  if (handler_) handler_->onMidiMapNamed(this);
}

// --- MIDI beat synchronisation -------------------------------------------------------------

int pulsesFromText(const std::string& text) {
  const char* first = text.data();
  const char* last = first + text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(*first))) ++first;
  long value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end == first || value < 1) return 1;
  return value > kMaxPulses ? kMaxPulses : static_cast<int>(value);
}

void applyBeatSettings(const BeatSettings& s, const std::function<void(int, float)>& setReal) {
  setReal(kParamClockSync, s.clockSync ? 1.0f : 0.0f);
  setReal(kParamClockPulses, static_cast<float>(s.clockPulses));
  setReal(kParamLfoSync, s.lfoSync ? 1.0f : 0.0f);
  setReal(kParamLfoPulses, static_cast<float>(s.lfoPulses));
}

KVXMidiBeatInternal::KVXMidiBeatInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                         CAUGuiCtrl* covered, const DialogImages& images,
                                         const ParamBinding& clockOffset, const ParamBinding& lfoOffset,
                                         KVXMidiBeatHandler* handler)
    : KVXDialog(canvas, rect, background, covered), handler_(handler) {
  addLabel({140, 10, 250, 20}, "MIDI Beat Clock Setup", 16);
  addLabel({30, 50, 350, 20}, "MIDI Beat clock synchronization provides a means to lock", 14);
  addLabel({30, 70, 350, 20}, "LFO functions to MIDI tracks.  There are 24 MIDI Beats per ", 14);
  addLabel({30, 90, 350, 20}, "quarter-note of a MIDI track.   So, if you would like the LFO", 14);
  addLabel({30, 110, 350, 20}, "to cycle once per quarter-note, enter 12 in the text box.", 14);
  addLabel({30, 140, 350, 20}, "This information is stored with the patch.", 0);

  struct Row {
    int y;
    const char* label;
    int labelWidth;
    const ParamBinding& offset;
    CAUGuiButton*& sync;
    KVXTextEditor*& pulses;
    CAUGuiSlider*& slider;
  };
  const Row rows[] = {
      {182, "Synchronize Internal Clock", 155, clockOffset, clockSync_, clockPulses_, clockOffset_},
      {244, "Synchronize Keyboard LFO", 160, lfoOffset, lfoSync_, lfoPulses_, lfoOffset_},
  };
  for (const Row& row : rows) {
    row.sync = addToggle(images, 44, row.y);
    addLabel({71, row.y - 3, row.labelWidth, 20}, row.label, 0);
    row.pulses = new KVXTextEditor(canvas, GuiRect{232, row.y, 60, 20}, 0, this);
    row.pulses->rules = TextRules::digits(1, kMaxPulses);
    addChild(row.pulses);
    row.slider = new CAUGuiSlider(canvas, row.offset, GuiRect{310, row.y - 10, 82, 37}, CAUGuiSlider::kHorizontal,
                                  10000, images.sliderHandle, images.sliderBack);
    addChild(row.slider);
  }
  addOkCancel(images, {62, 295}, {306, 295});
  offsetChildren(44, 37);
}

void KVXMidiBeatInternal::open(int clockPulses, bool clockSync, int lfoPulses, bool lfoSync, float clockOffset,
                               float lfoOffset) {
  for (auto [editor, pulses] : {std::pair{clockPulses_, clockPulses}, std::pair{lfoPulses_, lfoPulses}})
    if (!editor->setText(std::to_string(pulses))) editor->setText("1");
  clockSync_->setValue(clockSync ? 1.0f : 0.0f);
  lfoSync_->setValue(lfoSync ? 1.0f : 0.0f);
  clockOffset_->setValue(clockOffset);
  lfoOffset_->setValue(lfoOffset);
  show();
}

BeatSettings KVXMidiBeatInternal::readSettings() const {
  BeatSettings s;
  s.clockPulses = pulsesFromText(clockPulses_->text());
  s.clockSync = clockSync_->position() != 0;
  s.lfoPulses = pulsesFromText(lfoPulses_->text());
  s.lfoSync = lfoSync_->position() != 0;
  return s;
}

void KVXMidiBeatInternal::onOk() {
  closePopup();
  if (handler_) handler_->onMidiBeatSet(this);
}
