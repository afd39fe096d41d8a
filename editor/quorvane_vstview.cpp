#include "editor/quorvane_vstview.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/panel_geometry.h"
#include "editor/quorvane_cable.h"
#include "gui/canvas_window.h"
#include "gui/cauguibutton.h"
#include "gui/cauguicanvas.h"
#include "gui/cauguigraphic.h"
#include "gui/cauguiknob.h"
#include "gui/cauguimeter.h"
#include "gui/cauguipane.h"
#include "gui/cauguislider.h"
#include "gui/kvxnotes.h"
#include "gui/kvxtext.h"
#include "library/patch_library.h"
#include "platform/gui.h"
#include "platform/platform.h"
#include "plugin/quorvane_vstedit.h"

static_assert(panel::kSharedImageCount == 29, "the view keeps every shared image");

namespace {

constexpr int kBypassParam = 1;
// The board's key bed ends here, with the top key; the keyboard reaches it.
constexpr int kKeyBedRight = 1006;

GuiRect toGui(const panel::Rect& r) { return {r.x, r.y, r.w, r.h}; }

// Image insets that would leave the image rectangle less than empty on one axis are left
// off that axis: the image then fills the control's height (or width) instead.
void applyInsets(CAUGuiCtrl* c, const panel::Insets& in, const panel::Rect& r) {
  const bool across = in.left + in.right <= r.w;
  const bool down = in.top + in.bottom <= r.h;
  c->insetImageRect(across ? in.left : 0, down ? in.top : 0, across ? in.right : 0, down ? in.bottom : 0);
}

// The background pane. Controls later in its chain are drawn over earlier ones, so where
// two overlap the one drawn on top takes the mouse.
class PanelPane : public CAUGuiPane {
 public:
  using CAUGuiPane::CAUGuiPane;
  CAUGuiCtrl* hitTest(GuiPoint p) override {
    CAUGuiCtrl* top = nullptr;
    for (CAUGuiCtrl* c = firstChild(); c; c = c->nextCtrl())
      if (c->bounds().contains(p)) top = c;
    if (top) {
      if (CAUGuiCtrl* inner = top->firstChild() ? top->firstChild()->hitTest(p) : nullptr) return inner;
      return top;
    }
    if (bounds_.contains(p)) return this;
    CAUGuiCtrl* after = nextCtrl();
    return after ? after->hitTest(p) : nullptr;
  }
};

Quorvane_VSTView* viewOf(void* context) { return static_cast<Quorvane_VSTView*>(context); }

void onEnvelopeButton(int value, CAUGuiButton*, void* context) { viewOf(context)->editor().triggerEnvelopes(value != 0); }
void onPortamentoButton(int value, CAUGuiButton*, void* context) { viewOf(context)->editor().setPortamento(value != 0); }
void onLockButton(int value, CAUGuiButton*, void* context) {
  if (value != 0)
    viewOf(context)->plugin().lockPatch();
  else
    viewOf(context)->plugin().unlockPatch();
}
void onPatchManagerButton(int, CAUGuiButton*, void* context) { viewOf(context)->patchManagerButton(); }
void onSaveAsButton(int, CAUGuiButton*, void* context) { viewOf(context)->saveAsButton(); }
void onSaveButton(int, CAUGuiButton*, void* context) { viewOf(context)->saveButton(); }
void onResetButton(int, CAUGuiButton*, void* context) { viewOf(context)->resetButton(); }
void onLogoButton(int, CAUGuiButton*, void* context) { viewOf(context)->logoButton(); }
void onBypassPair(int, CAUGuiButton* button, void* context) { viewOf(context)->syncBypassPair(button); }

struct ButtonAction {
  const char* what;
  ButtonCallback callback;
};
constexpr ButtonAction kButtonActions[] = {
    {"patch manager button", onPatchManagerButton}, {"save as button", onSaveAsButton},
    {"envelope trigger button", onEnvelopeButton},  {"portamento trigger button", onPortamentoButton},
    {"save button", onSaveButton},                  {"logo button", onLogoButton},
    {"reset button", onResetButton},                {"lock button", onLockButton},
};

ButtonCallback callbackFor(const char* what) {
  for (const ButtonAction& a : kButtonActions)
    if (std::strcmp(a.what, what) == 0) return a.callback;
  return nullptr;
}

// The about box's lines: y, text size, text.
struct AboutLine {
  int y, size;
  const char* text;
};
constexpr AboutLine kAboutLines[KVXAboutBox::kLineCount] = {
    {250, 14, "Concept and Sound Design: the Halvorsk Sound Lab"},
    {265, 13, "Synthesis Engine: Halvorsk Audio Engineering"},
    {280, 13, "Panel Artwork: the Halvorsk Design Studio"},
    {295, 13, "Patch Library: the Halvorsk Sound Lab"},
    {310, 13, "Editor and Toolkit: the Halvorsk Software Group"},
    {325, 13, "Testing: the Halvorsk Quality, Support and Sound teams"},
    {340, 12, "No Natural Sounds were harmed during the creation of this program"},
    {355, 12, "Quorvane 3970 version 1.4.0, 2004-2026, Halvorsk, Inc."},
    {370, 12, "VST Plug-In Technology is a trademark of its owner, used under licence"},
    {385, 12, "VST Plug-In Interface Technology by its owner, used under licence"},
    {420, 12, "Version 1.4.0 - Halvorsk, Inc. - support through your dealer"},
};

}  // namespace

// --- logo menu ----------------------------------------------------------------------------

LogoMenu::LogoMenu() : menu_(platform::PopupMenu::create()) {
  if (!menu_) return;
  menu_->appendItem(kAbout, "About Quorvane 3970");
  menu_->appendSeparator();
  menu_->appendItem(kLoadMidiMap, "Load Midi Map");
  menu_->appendItem(kSaveMidiMap, "Save Midi Map");
  menu_->appendSeparator();
  menu_->appendItem(kLoadMicrotuning, "Load Microtuning");
  menu_->appendSeparator();
  menu_->appendItem(kMidiBeat, "MIDI Beat Synchronization");
  menu_->appendSeparator();
  menu_->appendItem(kShowTips, "Show Control Tips");
  menu_->setChecked(kShowTips, true);
}

LogoMenu::~LogoMenu() = default;

int LogoMenu::track(platform::Window& owner, int16_t screenX, int16_t screenY) {
  if (!menu_) return 0;
  const int id = menu_->track(owner, {screenX, screenY});
  if (id == kShowTips) menu_->setChecked(kShowTips, !menu_->isChecked(kShowTips));
  return id;
}

bool LogoMenu::tipsChecked() const { return menu_ && menu_->isChecked(kShowTips); }

// --- about box ----------------------------------------------------------------------------

KVXAboutBox::KVXAboutBox(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered)
    : KVXInternalPopup(canvas, rect, background, covered) {
  for (const AboutLine& line : kAboutLines) {
    auto* label = new KVXTextCtrl(canvas, GuiRect{100, line.y, 400, 20});
    label->setFontHeight(line.size);
    label->setText(line.text);
    label->redraw();
    addChild(label);
  }
}

const char* KVXAboutBox::lineText(int line) {
  return line >= 1 && line <= kLineCount ? kAboutLines[line - 1].text : "";
}

int KVXAboutBox::mouseUp(GuiPoint, bool, bool) { return close(); }
int KVXAboutBox::keyDown(uint8_t, int) { return close(); }

int KVXAboutBox::close() {
  if (CAUGuiCtrl* pane = canvas_->topPane()) pane->setActiveChild(nullptr);
  canvas_->closeModal();
  if (CAUGuiCtrl* covered = coveredControl()) covered->invalidate(bounds_);
  return kHandled;
}

// --- save ---------------------------------------------------------------------------------

SaveDecision decideSave(bool hasCurrentPatch, int32_t lastChangeSource, bool locked) {
  if (!hasCurrentPatch || lastChangeSource != kChangeLibraryPatch) return SaveDecision::SaveAs;
  if (locked) return SaveDecision::RefuseLocked;
  return SaveDecision::Save;
}

// --- the view -----------------------------------------------------------------------------

Quorvane_VSTView::Quorvane_VSTView(Quorvane_VSTEdit& plugin, platform::Window* window, int* width, int* height)
    : plugin_(plugin), editor_(plugin), window_(window), logoMenu_(std::make_unique<LogoMenu>()) {
  buildPanel(0.0f, 0.0f);
  if (width) *width = panel::kPanelWidth;
  if (height) *height = panel::kPanelHeight;
}

Quorvane_VSTView::~Quorvane_VSTView() {
  // The window goes back to its default handling first, so no event reaches a half-deleted
  // panel; the about box goes before the canvas its labels were registered with.
  link_.reset();
  if (canvas_ && canvas_->modal() == aboutBox_.get()) canvas_->closeModal();
  aboutBox_.reset();
  canvas_.reset();
}

CAUGuiGraphic* Quorvane_VSTView::image(const char* name) const {
  if (!name) return nullptr;
  for (std::size_t i = 0; i < panel::kSharedImageCount; ++i)
    if (std::strcmp(panel::kSharedImages[i].name, name) == 0) return images_[i];
  return nullptr;
}

void Quorvane_VSTView::buildPanel(float x, float y) {
  canvas_ = std::make_unique<CAUGuiCanvas>(static_cast<CanvasPlugin*>(this), window_, static_cast<int>(x), static_cast<int>(y));

  for (std::size_t i = 0; i < panel::kSharedImageCount; ++i) {
    const panel::SharedImage& s = panel::kSharedImages[i];
    CAUGuiGraphic* g = nullptr;
    switch (s.kind) {
      case panel::SharedImageKind::Graphic: g = new CAUGuiGraphic(s.name, s.frames); break;
      case panel::SharedImageKind::Handle:
        g = new CAUGuiHandleImage(s.name, s.xOffset, s.yOffset, s.orientation);
        break;
      case panel::SharedImageKind::Cropping:
        g = new CAUGuiCroppingImage(s.name, s.xOffset, s.yOffset, s.edgeFlags, s.cropMode);
        break;
    }
    canvas_->addGraphic(g);
    images_[i] = g;
  }

  CAUGuiGraphic* board = images_[0];
  pane_ = new PanelPane(canvas_.get(), GuiRect{0, 0, panel::kBoardWidth, panel::kBoardHeight}, board);
  canvas_->addControl(pane_);
  canvas_->setTopPane(pane_);

  for (std::size_t i = 0; i < panel::kPopupCount; ++i) {
    const panel::Popup& p = panel::kPopups[i];
    if (std::strcmp(p.className, "KVXAboutBox") == 0)
      aboutBox_ = std::make_unique<KVXAboutBox>(canvas_.get(), toGui(p.rect), image(p.background), pane_);
  }

  addFixedControls();
  addBoundControls();
  addJacks();
  loadFromPlugin();
  if (window_) link_ = std::make_unique<CanvasWindowLink>(*canvas_, *window_);
}

void Quorvane_VSTView::addFixedControls() {
  KVXNotesArea* notes = nullptr;
  KVXNotesSlider* notesBar = nullptr;
  for (std::size_t i = 0; i < panel::kFixedControlCount; ++i) {
    const panel::FixedControl& f = panel::kFixedControls[i];
    const GuiRect r = toGui(f.rect);
    CAUGuiCtrl* c = nullptr;
    switch (f.kind) {
      case panel::FixedKind::NotesArea: {
        // The scroll bar is made first, for the area to hold, and added after it.
        const panel::FixedControl* bar = panel::findFixed("notes scroll bar");
        notesBar = new KVXNotesSlider(canvas_.get(), bar ? toGui(bar->rect) : GuiRect{}, 0, nullptr);
        notes = new KVXNotesArea(canvas_.get(), r, image(f.image), notesBar);
        notesBar->setArea(notes);
        canvas_->setNotesArea(notes);
        c = notes;
        break;
      }
      case panel::FixedKind::NotesScrollBar: c = notesBar; break;
      case panel::FixedKind::Button: {
        auto* b = new CAUGuiButton(canvas_.get(), f.maxPosition, r, image(f.image), nullptr, f.mode);
        b->setCallback(callbackFor(f.what), this);
        if (std::strcmp(f.what, "lock button") == 0) canvas_->setLockButton(b);
        if (std::strcmp(f.what, "logo button") == 0) logoButton_ = b;
        c = b;
        break;
      }
      case panel::FixedKind::Meter:
        c = new CAUGuiMeter(canvas_.get(), f.id, r, f.maxPosition, image(f.image), image(f.image2), f.mode);
        break;
      case panel::FixedKind::MidiLight:
        c = new CAUGuiMeter(canvas_.get(), f.id, r, f.maxPosition, image(f.image), nullptr, CAUGuiMeter::kRaw);
        break;
      case panel::FixedKind::Keyboard:
        keyboard_ = new Quorvane_Keyboard(canvas_.get(), GuiRect{r.x, r.y, kKeyBedRight - r.x, r.h}, &panelKeys_, r.w);
        keyboard_->setRange(panel::kKeyboardHighKey, panel::kKeyboardLowKey);
        c = keyboard_;
        break;
      case panel::FixedKind::PatchMenu:
        c = patchMenus_[std::clamp(f.level, 0, 2)] = new PatchMenu(canvas_.get(), r, f.id, &patchChooser_, f.level);
        break;
      case panel::FixedKind::VoicesMenu:
        c = voicesMenu_ = new VoicesMenu(canvas_.get(), bindingFor(f.id, this), r);
        break;
    }
    if (!c) continue;
    applyInsets(c, f.insets, f.rect);
    pane_->addChild(c);
    if (f.initialPosition >= 0) c->setPosition(f.initialPosition);
  }
}

void Quorvane_VSTView::addBoundControls() {
  for (std::size_t i = 0; i < panel::kBoundControlCount; ++i) {
    const panel::BoundControl& d = panel::kBoundControls[i];
    const ParamBinding binding = bindingFor(d.param, this);
    const GuiRect r = toGui(d.rect);
    CAUGuiCtrl* c = nullptr;
    switch (d.kind) {
      case panel::BoundKind::VerticalSlider:
        c = new CAUGuiSlider(canvas_.get(), binding, r, CAUGuiSlider::kVertical, d.steps, image(d.image), nullptr);
        break;
      case panel::BoundKind::HorizontalSlider:
        c = new CAUGuiSlider(canvas_.get(), binding, r, CAUGuiSlider::kHorizontal, d.steps, image(d.image), nullptr);
        break;
      case panel::BoundKind::Switch:
      case panel::BoundKind::LightButton: {
        auto* b = new CAUGuiButton(canvas_.get(), binding, r, image(d.image), nullptr, d.mode);
        if (d.param == kBypassParam) {
          b->setCallback(onBypassPair, this);
          (d.kind == panel::BoundKind::Switch ? bypassSwitch_ : powerLight_) = b;
        }
        c = b;
        break;
      }
      case panel::BoundKind::Knob:
        c = new CAUGuiKnob(canvas_.get(), binding, r, d.steps, d.imageIsBackground ? nullptr : image(d.image),
                           d.imageIsBackground ? image(d.image) : nullptr, d.pointerLine ? 1 : 0, d.startTurns,
                           d.sweepTurns);
        break;
    }
    applyInsets(c, d.insets, d.rect);
    pane_->addChild(c);
    // Master Bypass is loaded from the plug-in with everything else: opening the editor
    // changes no parameter.
    if (d.initialPosition >= 0 && d.param != kBypassParam) c->setPosition(d.initialPosition);
  }
  for (std::size_t i = 0; i < panel::kSliderLinkCount; ++i) {
    const panel::SliderLink& l = panel::kSliderLinks[i];
    auto* coarse = dynamic_cast<CAUGuiSlider*>(canvas_->findControlByParameter(l.coarseParam));
    auto* fine = dynamic_cast<CAUGuiSlider*>(canvas_->findControlByParameter(l.fineParam));
    CAUGuiCtrl* range = l.switchParam ? canvas_->findControlByParameter(l.switchParam) : nullptr;
    if (coarse) coarse->setLinks(fine, range);
    if (fine) fine->setLinks(coarse, range);
  }
}

void Quorvane_VSTView::addJacks() {
  for (const panel::Jack& j : panel::kJacks) {
    // Each jack takes the next jack index as it is made: the table's order is the plug-in's.
    pane_->addChild(new Quorvane_Cable(canvas_.get(), bindingFor(j.param, this), toGui(j.rect()), 100,
                                       image("cableend.png"), image("goldplug.png"), j.code, j.kind));
  }
}

void Quorvane_VSTView::loadFromPlugin() {
  canvas_->syncFromPlugin();
  // The search finds the bypass switch for parameter 1; the power light shows it too.
  if (bypassSwitch_ && powerLight_) {
    canvas_->setHostUpdate(true);
    powerLight_->setValue(bypassSwitch_->value());
    canvas_->setHostUpdate(false);
  }
  showTips_ = true;
  canvas_->setShowTips(true);
  canvas_->refreshPatchMenu(0);
}

Quorvane_Cable* Quorvane_VSTView::jack(int jackIndex) const {
  return dynamic_cast<Quorvane_Cable*>(canvas_->cable(jackIndex - 1));
}

void Quorvane_VSTView::hostValue(int32_t index, float normalised) {
  canvas_->setHostValue(index, normalised);
  if (index == kBypassParam && bypassSwitch_ && powerLight_ && !powerLight_->isSending() &&
      powerLight_->value() != bypassSwitch_->value()) {
    canvas_->setHostUpdate(true);
    powerLight_->setValue(bypassSwitch_->value());
    canvas_->setHostUpdate(false);
    if (!canvas_->modal()) powerLight_->redraw();
  }
}

void Quorvane_VSTView::idle() {
  canvas_->idle();
}

void Quorvane_VSTView::syncBypassPair(CAUGuiButton* changed) {
  if (!bypassSwitch_ || !powerLight_) return;
  if (changed == bypassSwitch_) {
    powerLight_->setPosition(bypassSwitch_->position());
    powerLight_->redraw();
  } else {
    bypassSwitch_->setPosition(powerLight_->position());
    bypassSwitch_->redraw();
  }
}

void Quorvane_VSTView::logoButton() {
  if (!logoButton_ || !window_) return;
  const GuiRect b = logoButton_->bounds();
  const GuiPoint at = canvas_->toScreen({static_cast<int16_t>(b.x), static_cast<int16_t>(b.y)});
  const int id = logoMenu_->track(*window_, at.x, at.y);
  switch (id) {
    case LogoMenu::kAbout:
      if (canvas_->modal() || !aboutBox_) return;
      aboutBox_->invalidate(aboutBox_->bounds());
      pane_->setActiveChild(aboutBox_.get());
      canvas_->setModal(aboutBox_.get());
      aboutBox_->setShown(true);
      break;
    case LogoMenu::kShowTips:
      showTips_ = !showTips_;
      canvas_->setShowTips(showTips_);
      break;
    default:
      // The MIDI map, microtuning and MIDI beat pop-ups are absent: nothing to open.
      break;
  }
}

void Quorvane_VSTView::saveAsButton() {
  // The save-as pop-up is absent; with one, a modal pop-up already up would keep it shut.
}

void Quorvane_VSTView::patchManagerButton() {
  // The patch manager pop-up is absent.
}

void Quorvane_VSTView::saveButton() {
  SaveDecision decision;
  {
    EditorInterface::PatchHold hold(editor_);
    PatchLibrary* library = hold.library();
    const Patch* patch = library ? library->currentPatch() : nullptr;
    decision = decideSave(patch != nullptr, library ? library->lastChangeSource : 0, patch && patch->locked != 0);
  }
  switch (decision) {
    case SaveDecision::SaveAs: saveAsButton(); break;
    case SaveDecision::RefuseLocked: platform::messageBox(nullptr, kLockedPatchMessage); break;
    case SaveDecision::Save: plugin_.savePatch(); break;
  }
}

void Quorvane_VSTView::resetButton() {
  // The fade is not waited for when no block would run it (bypassed or stopped), so the
  // GUI thread goes on at once then.
  plugin_.changePatch(kChangeResetPatch, true);
  canvas_->refreshPatchMenu(2);
  canvas_->refreshPatchMenu(1);
  canvas_->refreshPatchMenu(0);
}

// --- the plug-in as the canvas sees it ----------------------------------------------------

void Quorvane_VSTView::setParameterAutomated(int32_t index, float normalised) {
  editor_.setParameter(index, normalised);
}
float Quorvane_VSTView::getParameter(int32_t index) { return editor_.getParameter(index); }
void Quorvane_VSTView::beginEdit(int32_t index) { editor_.beginEdit(index); }
void Quorvane_VSTView::endEdit(int32_t index) { editor_.endEdit(index); }
float Quorvane_VSTView::meterValue(int index) { return editor_.displayValue(index); }
double Quorvane_VSTView::meterClockHz() const { return kBlockTimeTicksPerSecond; }
double Quorvane_VSTView::sampleRate() const { return plugin_.getSampleRate(); }

namespace {
// The library's current patch while the hold lives; null without library or patch.
const Patch* currentPatchOf(const EditorInterface::PatchHold& hold) {
  PatchLibrary* library = hold.library();
  return library ? library->currentPatch() : nullptr;
}
}  // namespace

const void* Quorvane_VSTView::currentPatch() {
  EditorInterface::PatchHold hold(editor_);
  return currentPatchOf(hold);
}

bool Quorvane_VSTView::currentPatchLocked() {
  EditorInterface::PatchHold hold(editor_);
  const Patch* patch = currentPatchOf(hold);
  return patch && patch->locked != 0;
}

bool Quorvane_VSTView::currentPatchNotes(std::string& notes) {
  EditorInterface::PatchHold hold(editor_);
  const Patch* patch = currentPatchOf(hold);
  if (!patch || !patch->showNotes) return false;
  notes = patch->notes;
  return true;
}
