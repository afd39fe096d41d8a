#include "gui/cauguicanvas.h"

#include <cmath>

#include "gui/platform_rect.h"
#include "platform/gui.h"

// The off-screen bitmap, its surface and the regions reused every idle.
struct CAUGuiCanvas::Offscreen {
  std::unique_ptr<platform::Bitmap> bitmap;
  std::unique_ptr<platform::Surface> surface;
  platform::Region clip;
  platform::Region update;
};

CAUGuiCanvas::CAUGuiCanvas(CanvasPlugin* plugin, GuiWindow* window, int originX, int originY)
    : originX_(originX), originY_(originY), plugin_(plugin), window_(window),
      offscreen_(std::make_unique<Offscreen>()), guiThread_(std::this_thread::get_id()) {
  offscreen_->bitmap = platform::Bitmap::create(kWidth, kHeight);
  if (offscreen_->bitmap) offscreen_->surface = platform::Surface::create(*offscreen_->bitmap);
  for (int i = 0; i < kHostValueSlots; ++i) {
    pendingValue_[i].store(0.0f, std::memory_order_relaxed);
    pending_[i].store(false, std::memory_order_relaxed);
  }
}

CAUGuiCanvas::~CAUGuiCanvas() {
  // A late idle or paint during teardown does nothing.
  busy_ = 1;
  delete controls_;
  controls_ = nullptr;
  delete graphics_;
  graphics_ = nullptr;
}

DrawContext* CAUGuiCanvas::surface() const { return offscreen_->surface.get(); }
const platform::Bitmap* CAUGuiCanvas::bitmap() const { return offscreen_->bitmap.get(); }

// --- registration ----------------------------------------------------------------------

bool CAUGuiCanvas::addControl(CAUGuiCtrl* control) {
  if (!control) return false;
  control->setId(++nextId_);
  if (!control->owner()) {
    if (controls_)
      controls_->append(control);
    else
      controls_ = control;
    control->moveBy(originX_, originY_);
  }
  control->redraw();
  control->setMaxPosition(static_cast<int>(std::lround(control->range() * control->resolution())));
  control->setMinPosition(0);
  return control->isBound();
}

void CAUGuiCanvas::addGraphic(CAUGuiItem* image) {
  if (!image) return;
  image->setId(++nextId_);
  if (graphics_)
    graphics_->append(image);
  else
    graphics_ = image;
}

int CAUGuiCanvas::addCable(CAUGuiCtrl* jack) {
  if (!jack || jackCount_ >= kJackPlaces) return -1;
  jacks_[jackCount_] = jack;
  return jackCount_++;
}

CAUGuiCtrl* CAUGuiCanvas::cableAt(GuiPoint p) const {
  for (int i = 0; i < jackCount_; ++i)
    if (jacks_[i]->bounds().contains(p)) return jacks_[i];
  return nullptr;
}

CAUGuiCtrl* CAUGuiCanvas::cable(int index) const { return index >= 0 && index < jackCount_ ? jacks_[index] : nullptr; }

void CAUGuiCanvas::setPatchMenu(int level, CAUGuiCtrl* menu) {
  if (level >= 0 && level < 3) patchMenus_[level] = menu;
}

CAUGuiCtrl* CAUGuiCanvas::findControlByParameter(int32_t index) const {
  return controls_ ? controls_->findByParameter(index) : nullptr;
}

CAUGuiCtrl* CAUGuiCanvas::midiLearnTarget() const { return learnTarget_ ? learnTarget_->learnControl() : nullptr; }

// --- modal pop-up and focus ------------------------------------------------------------

void CAUGuiCanvas::setModal(CAUGuiCtrl* popup) {
  modal_ = popup;
  if (popup) popup->redraw();
}

void CAUGuiCanvas::closeModal() {
  modal_ = nullptr;
  if (topPane_) topPane_->setActiveChild(nullptr);
}

void CAUGuiCanvas::setFocus(CAUGuiCtrl* control) {
  if (control == focus_) return;
  // A control that lost the focus stops being the focus control, so it is never told twice
  // and no key reaches it afterwards.
  if (focus_) focus_->setFocus(false);
  focus_ = control;
  if (control) control->setFocus(true);
}

// --- plug-in values --------------------------------------------------------------------

float CAUGuiCanvas::normalise(const ParamBinding& binding, float value) {
  if (binding.index >= kFirstJackParam) return value / 1000.0f;
  const float range = binding.desc.maximum - binding.desc.minimum;
  return range != 0.0f ? (value - binding.desc.minimum) / range : 0.0f;
}

void CAUGuiCanvas::reportControlValue(CAUGuiCtrl* control) {
  if (control) reportValue(control, control->value());
}

void CAUGuiCanvas::reportValue(CAUGuiCtrl* control, float value) {
  // Both report paths keep the two guards: nothing goes out while the editor writes plug-in
  // values into controls, and the sending control is marked so the change coming back from
  // the plug-in does not move it again.
  if (!control || !control->isBound() || hostUpdate_ || !plugin_) return;
  const bool wasSending = control->isSending();
  control->setSending(true);
  plugin_->setParameterAutomated(control->binding().index, normalise(control->binding(), value));
  control->setSending(wasSending);
}

void CAUGuiCanvas::setMidiMapEntry(const MidiMapEntry& entry) {
  if (plugin_) plugin_->setMidiMapEntry(entry);
}

float CAUGuiCanvas::meterValue(int index) const { return plugin_ ? plugin_->meterValue(index) : 0.0f; }

void CAUGuiCanvas::setHostValue(int32_t index, float normalised) {
  if (index < 0 || index >= kHostValueSlots) return;
  if (std::this_thread::get_id() == guiThread_) {
    pending_[index].store(false, std::memory_order_relaxed);
    applyHostValue(index, normalised);
    return;
  }
  pendingValue_[index].store(normalised, std::memory_order_relaxed);
  pending_[index].store(true, std::memory_order_release);
  anyPending_.store(true, std::memory_order_release);
}

void CAUGuiCanvas::applyPendingHostValues() {
  if (!anyPending_.exchange(false, std::memory_order_acq_rel)) return;
  for (int i = 0; i < kHostValueSlots; ++i)
    if (pending_[i].exchange(false, std::memory_order_acq_rel))
      applyHostValue(i, pendingValue_[i].load(std::memory_order_relaxed));
}

namespace {

// The plain value a control bound to `binding` shows for a normalised plug-in value.
float plainValue(const ParamBinding& binding, float normalised) {
  if (binding.index >= CAUGuiCanvas::kFirstJackParam)
    return static_cast<float>(static_cast<double>(normalised) * 1000.0);
  return binding.desc.minimum + (binding.desc.maximum - binding.desc.minimum) * normalised;
}

}  // namespace

void CAUGuiCanvas::applyHostValue(int32_t index, float normalised) {
  const bool was = hostUpdate_;
  hostUpdate_ = true;
  CAUGuiCtrl* c = findControlByParameter(index);
  if (c && !c->isSending()) {
    const float target = plainValue(c->binding(), normalised);
    if (c->value() != target) {
      c->setValue(target);
      if (!modal_) c->redraw();
    }
  }
  hostUpdate_ = was;
}

void CAUGuiCanvas::syncFromPlugin() {
  if (!plugin_) return;
  hostUpdate_ = true;
  for (int32_t i = 0; i < kParamRecordCount; ++i) {
    CAUGuiCtrl* c = findControlByParameter(i);
    if (!c) continue;
    const float target = plainValue(c->binding(), plugin_->getParameter(i));
    if (c->value() != target || std::isnan(c->value())) c->setValue(target);
  }
  hostUpdate_ = false;
}

// --- patch menus -----------------------------------------------------------------------

void CAUGuiCanvas::refreshLockAndNotes() {
  if (lockButton_) {
    lockButton_->setPosition(plugin_ && plugin_->currentPatch() && plugin_->currentPatchLocked() ? 1 : 0);
    lockButton_->redraw();
  }
  if (notesArea_) notesArea_->redraw();
}

void CAUGuiCanvas::refreshPatchMenu(int level) {
  if (level >= 0 && level < 3 && patchMenus_[level]) patchMenus_[level]->redraw();
  refreshLockAndNotes();
}

GuiPoint CAUGuiCanvas::toScreen(GuiPoint p) const {
  return window_ ? fromPlatform(window_->clientToScreen(toPlatform(p))) : p;
}

// --- idle and paint --------------------------------------------------------------------

void CAUGuiCanvas::idle() {
  if (busy_) return;
  busy_ = 1;
  applyPendingHostValues();

  if (plugin_) {
    const void* patch = plugin_->currentPatch();
    if (patch && patch != lastPatch_) {
      lastPatch_ = patch;
      refreshPatchMenu(0);
      refreshPatchMenu(1);
      refreshPatchMenu(2);
    }
  }

  if (learnTarget_) {
    const float heard = meterValue(5);
    const bool valid = std::isfinite(heard) && std::fabs(heard) < 1e9f;
    const int word = valid ? static_cast<int>(heard) : 0;
    learnedChannel_ = (word >> 8) & 0xF;
    learnedNumber_ = (word & 0xF000) ? 128 : word & 0xFF;
    if (valid && heard != 0.0f) learnTarget_->learnControl()->midiLearned(word >> 8, learnedNumber_);
  }

  // The hover countdown runs in every idle, so a tip appears over a still panel too.
  bool tipDue = false;
  if (tipCountdown_ != 0 && showTips_) {
    --tipCountdown_;
    if (tipCountdown_ == 0 && hover_) hoverTipShown_ = tipDue = true;
  }

  CAUGuiCtrl* const first = controls_ ? controls_ : modal_;
  const bool needed = first && first->needsRedraw();
  DrawContext* context = surface();
  if ((!needed && !tipDue) || !context) {
    busy_ = 0;
    return;
  }

  offscreen_->update.clear();
  for (CAUGuiCtrl* c = first; c; c = c->nextCtrl()) drawItem(*context, c);
  if (pressed_ && showTips_) drawTipOf(*context, pressed_, false);
  if (hover_ && hoverTipShown_ && showTips_) drawTipOf(*context, hover_, true);
  context->clearClip();
  if (window_ && !offscreen_->update.isEmpty()) window_->invalidate(offscreen_->update);
  ++drawPasses_;
  busy_ = 0;
}

void CAUGuiCanvas::drawTipOf(DrawContext& context, CAUGuiCtrl* control, bool hover) {
  platform::Region& clip = offscreen_->clip;
  clip.clear();
  clip.add(toPlatform(control->tipBox()));
  context.setClip(clip);
  control->drawTip(context, 0, hover);
  offscreen_->update.add(toPlatform(control->tipBox()));
}

void CAUGuiCanvas::drawItem(DrawContext& context, CAUGuiCtrl* item) {
  if (!item || !item->isDirty()) return;
  platform::Region& clip = offscreen_->clip;
  clip.clear();
  for (const GuiRect& r : item->dirtyRects())
    if (r != GuiRect{}) clip.add(toPlatform(r));
  context.setClip(clip);
  item->draw(context, 0);
  // Pop-ups nest a few deep; a chain that leads back into itself is not followed for ever.
  int depth = 0;
  for (CAUGuiCtrl* a = item->activeChild(); a && a != item && depth < kMaxPopupDepth; a = a->activeChild(), ++depth) {
    if (!a->isDirty()) continue;
    for (const GuiRect& r : a->dirtyRects())
      if (r != GuiRect{}) clip.add(toPlatform(r));
    context.setClip(clip);
    a->draw(context, 0);
    a->clearDirty();
  }
  offscreen_->update.add(clip);
  item->clearDirty();
}

void CAUGuiCanvas::paint(platform::PaintTarget& target, const GuiRect& area) {
  idle();
  if (!offscreen_->bitmap) return;
  GuiRect r = area;
  if (r.x > kWidth || r.y >= kHeight + 1) r = {0, 0, kWidth, kHeight};
  target.copy(*offscreen_->bitmap, toPlatform(r));
}

// --- mouse and keys --------------------------------------------------------------------

CAUGuiCtrl* CAUGuiCanvas::hitControl(GuiPoint p) const {
  if (modal_) return modal_->hitTest(p);
  return controls_ ? controls_->hitTest(p) : nullptr;
}

bool CAUGuiCanvas::altDown() const { return platform::keyboardModifiers().alt; }

int CAUGuiCanvas::mouseDown(GuiPoint p, bool ctrlDown, bool shiftDown) {
  CAUGuiCtrl* hit = hitControl(p);
  if (focus_ && focus_ != hit) {
    focus_->setFocus(false);
    focus_ = nullptr;
  }
  if (!hit) return kNotHandled;
  setFocus(hit);
  const bool alt = altDown();
  const int32_t index = hit->isBound() ? hit->binding().index : -1;

  if (shiftDown && index >= 0 && index < kLearnLimit) {
    if (!midiMapPopup_) return kNotHandled;
    CAUGuiCtrl* popup = midiMapPopup_->learnControl();
    if (!popup) return kNotHandled;
    learnTarget_ = midiMapPopup_;
    const MidiMapEntry* entry = plugin_ ? plugin_->midiMapEntry(index) : nullptr;
    if (!modal_) {
      if (topPane_) topPane_->setActiveChild(popup);
      midiMapPopup_->openForLearn(hit, entry, nullptr);
      setModal(popup);
    } else {
      midiMapPopup_->openForLearn(hit, entry, modal_);
      modal_->setActiveChild(popup);
    }
    return kNotHandled;
  }

  endGesture();
  pressed_ = hit;
  // The host hears of the gesture before the first value of it.
  if (index >= 0 && plugin_) {
    editing_ = index;
    plugin_->beginEdit(index);
  }
  return hit->mouseDown(p, alt, ctrlDown);
}

int CAUGuiCanvas::mouseDrag(GuiPoint p, bool ctrlDown) {
  if (!pressed_) return kNotHandled;
  return pressed_->mouseDrag(p, altDown(), ctrlDown);
}

int CAUGuiCanvas::mouseUp(GuiPoint p, bool ctrlDown) {
  if (!pressed_) return kNotHandled;
  CAUGuiCtrl* c = pressed_;
  const int result = c->mouseUp(p, altDown(), ctrlDown);
  pressed_ = nullptr;
  endGesture();
  return result;
}

void CAUGuiCanvas::endGesture() {
  if (editing_ < 0) return;
  const int32_t index = editing_;
  editing_ = -1;
  if (plugin_) plugin_->endEdit(index);
}

int CAUGuiCanvas::mouseMove(GuiPoint p) {
  CAUGuiCtrl* hit = hitControl(p);
  if (hit != hover_) {
    hoverTipShown_ = false;
    if (hover_) hover_->hideTip();
  }
  hover_ = hit;
  tipCountdown_ = kTipDelay;
  return kNotHandled;
}

int CAUGuiCanvas::keyDown(uint8_t key, int modifiers) {
  return focus_ ? focus_->keyDown(key, modifiers) : kNotHandled;
}
