#include "gui/cauguibutton.h"

#include "gui/cauguigraphic.h"

CAUGuiButton::CAUGuiButton(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect,
                           CAUGuiGraphic* image, CAUGuiGraphic* secondImage, int mode)
    : CAUGuiCtrl(canvas, binding, rect, 1), image_(image), secondImage_(secondImage), mode_(mode) {}

CAUGuiButton::CAUGuiButton(CAUGuiCanvas* canvas, int maxPosition, const GuiRect& rect, CAUGuiGraphic* image,
                           CAUGuiGraphic* secondImage, int mode)
    : CAUGuiCtrl(canvas, rect, static_cast<float>(maxPosition)),
      image_(image),
      secondImage_(secondImage),
      mode_(mode) {}

void CAUGuiButton::setCallback(ButtonCallback callback, void* context) {
  callback_ = callback;
  callbackContext_ = context;
}

void CAUGuiButton::setFixedValue(int value) { fixedValue_ = value; }

void CAUGuiButton::notify(int value) {
  if (callback_) callback_(value, this, callbackContext_);
}

void CAUGuiButton::draw(DrawContext& context, int flags) {
  if (!image_ || !image_->bitmap()) return;
  image_->setConstantAlpha(enabled_ ? kEnabledAlpha : kDisabledAlpha);
  switch (mode_) {
    case kMomentary:
    case kFixedValue:
    case kMomentaryWithCallbacks:
      image_->draw(context, flags, bounds_, position_ == fixedValue_ ? 1.0f : 0.0f);
      break;
    case kToggle:
      image_->draw(context, flags, imageRect_, position_ != 0 ? 1.0f : 0.0f);
      break;
    default:
      break;
  }
}

int CAUGuiButton::mouseDown(GuiPoint, bool, bool) {
  if (!enabled_) return kHandled;
  pressed_ = true;
  switch (mode_) {
    case kMomentary:
    case kMomentaryWithCallbacks:
      setPosition(maxPosition_);
      redraw();
      break;
    case kCycleUp:
      setPosition(position_ >= maxPosition_ ? 0 : position_ + 1);
      break;
    case kStepDown:
      setPosition(position_ <= 0 ? maxPosition_ : position_ - 1);
      break;
    case kFixedValue:
      setPosition(fixedValue_);
      break;
    case kToggle:
      setPosition(position_ != 0 ? 0 : maxPosition_);
      redraw();
      break;
    default:
      break;
  }
  if (mode_ != kMomentary) notify(mode_ == kFixedValue ? fixedValue_ : position_);
  return kHandled;
}

int CAUGuiButton::mouseUp(GuiPoint p, bool, bool) {
  if (!enabled_) return kHandled;
  const bool wasPressed = pressed_;
  pressed_ = false;
  switch (mode_) {
    case kMomentary:
    case kMomentaryWithCallbacks:
      setPosition(0);
      redraw();
      if (wasPressed && (mode_ == kMomentaryWithCallbacks || bounds_.contains(p))) notify(0);
      break;
    case kFixedValue:
      setPosition(fixedValue_);
      redraw();
      break;
    default:
      redraw();
      break;
  }
  return kHandled;
}
