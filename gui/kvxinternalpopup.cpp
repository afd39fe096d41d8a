#include "gui/kvxinternalpopup.h"

#include <algorithm>

#include "gui/cauguicanvas.h"
#include "gui/cauguigraphic.h"

KVXInternalPopup::KVXInternalPopup(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                   CAUGuiCtrl* covered)
    : CAUGuiCtrl(canvas, rect), covered_(covered), background_(background) {
  typeTag_ = kTagPopup;
}

void KVXInternalPopup::drawDirtyChildren(DrawContext& context, int flags) {
  for (CAUGuiCtrl* c = firstChild_; c; c = c->nextCtrl()) {
    if (!c->isDirty()) continue;
    c->draw(context, flags);
    c->clearDirty();
  }
}

void KVXInternalPopup::draw(DrawContext& context, int flags) {
  if (background_ && background_->bitmap()) background_->placeBlit(context, bounds_, 0, 0);
  drawDirtyChildren(context, flags);
  if (activeChild_ && activeChild_->isDirty()) {
    activeChild_->draw(context, flags);
    activeChild_->clearDirty();
  }
}

GuiRect KVXInternalPopup::dragArea() const {
  if (covered_) return covered_->bounds();
  return {0, 0, CAUGuiCanvas::kWidth, CAUGuiCanvas::kHeight};
}

int KVXInternalPopup::mouseDown(GuiPoint p, bool altDown, bool ctrlDown) {
  if (activeChild_) return activeChild_->mouseDown(p, altDown, ctrlDown);
  anchor_ = p;
  dragging_ = true;
  return kHandled;
}

int KVXInternalPopup::mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) {
  if (activeChild_) return activeChild_->mouseDrag(p, altDown, ctrlDown);
  if (!dragging_) return kHandled;
  // The move, limited so the pop-up stays inside its area (its top-left corner first,
  // when it is larger than the area).
  const GuiRect area = dragArea();
  const int wantX = bounds_.x + (p.x - anchor_.x), wantY = bounds_.y + (p.y - anchor_.y);
  const int x = std::max(area.x, std::min(wantX, area.x + area.w - bounds_.w));
  const int y = std::max(area.y, std::min(wantY, area.y + area.h - bounds_.h));
  const int dx = x - bounds_.x, dy = y - bounds_.y;
  if (dx == 0 && dy == 0) return kHandled;
  if (covered_) covered_->invalidate(bounds_);
  moveBy(dx, dy);
  // The anchor stays on the point of the pop-up that was grabbed.
  anchor_.x = static_cast<int16_t>(anchor_.x + dx);
  anchor_.y = static_cast<int16_t>(anchor_.y + dy);
  if (covered_) covered_->invalidate(bounds_);
  invalidate(bounds_);
  for (CAUGuiCtrl* c = firstChild_; c; c = c->nextCtrl()) c->invalidate(bounds_);
  return kHandled;
}

int KVXInternalPopup::mouseUp(GuiPoint p, bool altDown, bool ctrlDown) {
  if (activeChild_) return activeChild_->mouseUp(p, altDown, ctrlDown);
  dragging_ = false;
  return kNotHandled;
}

void KVXInternalPopup::invalidate(const GuiRect& r) {
  if (invalidating_) return;
  invalidating_ = true;
  if (!dirtyList_.contains(r)) CAUGuiCtrl::invalidate(r);
  if (covered_ && !covered_->dirtyRects().contains(r)) covered_->invalidate(r);
  if (activeChild_ && !activeChild_->dirtyRects().contains(r)) activeChild_->CAUGuiCtrl::invalidate(r);
  invalidating_ = false;
}

CAUGuiCtrl* KVXInternalPopup::hitTest(GuiPoint p) {
  if (activeChild_) return activeChild_->hitTest(p);
  return CAUGuiCtrl::hitTest(p);
}

void KVXInternalPopup::hideTip() {}
