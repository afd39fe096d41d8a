#include "gui/kvxscroll.h"

#include <algorithm>
#include <cmath>

KVXScrollSlider::KVXScrollSlider(CAUGuiCanvas* canvas, const GuiRect& rect, KVXScrollable* target, int inset)
    : CAUGuiCtrl(canvas, rect), target_(target), inset_(inset) {}

void KVXScrollSlider::thumb(int& top, int& height) const {
  const int track = std::max(0, bounds_.h - 2 * inset_);
  const float f = target_ ? std::clamp(target_->visibleFraction(), 0.0f, 1.0f) : 1.0f;
  const float s = target_ ? std::clamp(target_->scroll(), 0.0f, 1.0f) : 0.0f;
  height = static_cast<int>(f * track);
  top = bounds_.y + inset_ + static_cast<int>((track - height) * s);
}

int KVXScrollSlider::mouseDown(GuiPoint p, bool, bool) {
  if (!target_) return kHandled;
  int top, height;
  thumb(top, height);
  if (p.y >= top && p.y < top + height && p.x >= bounds_.x && p.x < bounds_.x + bounds_.w) beginDrag(p);
  return kHandled;
}

void KVXScrollSlider::beginDrag(GuiPoint p) {
  if (!target_) return;
  dragging_ = true;
  pressPoint_ = p;
  pressScroll_ = target_->scroll();
}

int KVXScrollSlider::mouseDrag(GuiPoint p, bool, bool) {
  if (!dragging_ || !target_ || target_->visibleFraction() >= 1.0f) return kHandled;
  int top, height;
  thumb(top, height);
  const int travel = bounds_.h - 2 * inset_ - height;
  if (travel <= 0) return kHandled;
  const float s = std::clamp(pressScroll_ + float(p.y - pressPoint_.y) / float(travel), 0.0f, 1.0f);
  if (s != target_->scroll()) {
    target_->setScroll(s);
    redraw();
    if (CAUGuiCtrl* c = target_->scrolledControl()) c->redraw();
  }
  return kHandled;
}

int KVXScrollSlider::mouseUp(GuiPoint, bool, bool) {
  dragging_ = false;
  return kHandled;
}
