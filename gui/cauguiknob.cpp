#include "gui/cauguiknob.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gui/cauguigraphic.h"
#include "gui/platform_rect.h"

namespace {
constexpr double kPi = std::numbers::pi;
// Half the travel: the lower left is -135 degrees, the lower right +135.
constexpr double kHalfTravel = 0.75 * kPi;
}  // namespace

double knobAngle(int dx, int dy) {
  if (dx == 0 && dy == 0) return 0.0;
  return std::atan2(double(dx), -double(dy));
}

CAUGuiKnob::CAUGuiKnob(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect, int resolution,
                       CAUGuiGraphic* handle, CAUGuiGraphic* background, int pointerLine, float startTurns,
                       float sweepTurns)
    : CAUGuiCtrl(canvas, binding, rect, resolution), handle_(handle), background_(background),
      pointerLine_(pointerLine) {
  typeTag_ = kTagKnob;
  if (background_) {
    if (bounds_.w == 0) bounds_.w = imageRect_.w = background_->width();
    if (bounds_.h == 0) bounds_.h = imageRect_.h = background_->bitmap() ? background_->frameHeight() : 0;
  }
  centreX_ = bounds_.w / 2;
  centreY_ = bounds_.h / 2;
  constexpr float twoPi = 2.0f * std::numbers::pi_v<float>;
  startAngle_ = -twoPi * startTurns;
  endAngle_ = startAngle_ + twoPi * sweepTurns;
}

void CAUGuiKnob::setCentre(int x, int y) {
  centreX_ = x;
  centreY_ = y;
}

void CAUGuiKnob::draw(DrawContext& context, int flags) {
  const float f = maxPosition_ > 0 ? float(position_) / float(maxPosition_) : 0.0f;
  if (background_ && background_->bitmap()) background_->draw(context, flags, bounds_, 0.0f);
  if (handle_ && handle_->bitmap()) {
    // A spin image carries angles only; it draws nothing.
    if (handle_->typeTag() != kTagSpinImage) handle_->draw(context, flags, imageRect_, f);
    return;
  }
  if (pointerLine_ != 1) return;
  const double a = f * endAngle_ - startAngle_ + kPi;
  auto at = [&](double radius) {
    return platform::Point{static_cast<int16_t>(int(bounds_.x - std::sin(a) * radius) + centreX_ + 3),
                           static_cast<int16_t>(int(bounds_.y + std::cos(a) * radius) + centreY_ + 3)};
  };
  context.drawLine(at(centreY_ - 2), at(centreY_ - 5), kPointerWidth, kPointerColour);
}

void CAUGuiKnob::redraw() {
  CAUGuiCtrl::redraw();
  if (pointerLine_ != 1) return;
  // The pointer line turns about a point 3 pixels right of and below the middle, so at some
  // angles it ends past the right and bottom edges: that area is redrawn as well, or the line
  // of the last angle would stay beside the knob.
  const int reach = centreY_ - 2 + kPointerWidth;
  invalidate(GuiRect{bounds_.x + centreX_ + 3 - reach, bounds_.y + centreY_ + 3 - reach, 2 * reach + 1, 2 * reach + 1});
}

double CAUGuiKnob::travelAt(GuiPoint p) {
  const double top = maxPosition_;
  if (resolution_ <= 3) {
    // Selectors: by the height inside the image rectangle, the top for the maximum.
    if (imageRect_.h <= 0) return 0.0;
    return (1.0 - double(p.y - imageRect_.y) / imageRect_.h) * top;
  }
  double a = knobAngle(p.x - bounds_.x - centreX_, p.y - bounds_.y - centreY_);
  if (std::abs(a) > kHalfTravel) {
    // The dead zone below the knob: stay at the end the pointer came from.
    a = (lastSide_ != 0 ? lastSide_ : (a < 0 ? -1 : 1)) * kHalfTravel;
  } else if (a != 0.0) {
    lastSide_ = a < 0 ? -1 : 1;
  }
  return (a + kHalfTravel) / (2.0 * kHalfTravel) * top;
}

int CAUGuiKnob::mouseDown(GuiPoint p, bool altDown, bool ctrlDown) {
  fineDrag_ = ctrlDown;
  if (altDown) {
    setPosition(positionForValue(binding_.desc.defaultValue));
    redraw();
    return kHandled;
  }
  lastX_ = p.x;
  lastSide_ = 0;
  grabPosition_ = position_;
  grabTravel_ = travelAt(p);
  dragging_ = true;
  return kHandled;
}

int CAUGuiKnob::mouseDrag(GuiPoint p, bool, bool) {
  if (!dragging_) return kHandled;
  int d;
  if (fineDrag_) {
    d = position_ + (p.x - lastX_);
    lastX_ = p.x;
  } else {
    d = grabPosition_ + static_cast<int>(std::lround(travelAt(p) - grabTravel_));
  }
  setPosition(std::clamp(d, 0, std::max(0, maxPosition_)));
  redraw();
  return kHandled;
}

int CAUGuiKnob::mouseUp(GuiPoint p, bool altDown, bool ctrlDown) {
  if (dragging_) mouseDrag(p, altDown, ctrlDown);
  dragging_ = false;
  fineDrag_ = false;
  return kHandled;
}
