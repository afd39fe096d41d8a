#include "gui/cauguictrl.h"

#include <algorithm>

#include "gui/cauguicanvas.h"

CAUGuiCtrl::CAUGuiCtrl(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect, int resolution)
    : canvas_(canvas), binding_(binding) {
  initPlain(rect);
  bound_ = true;
  range_ = binding.desc.maximum - binding.desc.minimum;
  unitKind_ = unitKindFor(binding.index);
  resolution_ = resolution;
}

CAUGuiCtrl::CAUGuiCtrl(CAUGuiCanvas* canvas, const GuiRect& rect) : canvas_(canvas) { initPlain(rect); }

CAUGuiCtrl::CAUGuiCtrl(CAUGuiCanvas* canvas, const GuiRect& rect, float range) : canvas_(canvas) {
  initPlain(rect);
  resolution_ = 1;
  range_ = range;
}

void CAUGuiCtrl::initPlain(const GuiRect& rect) {
  bounds_ = imageRect_ = rect;
  // The tip sits below controls near the top edge and above all others, pulled left near
  // the right edge of the panel.
  tipBox_ = {rect.x > 800 ? rect.x - 130 : rect.x, rect.y <= 70 ? rect.y + rect.h : rect.y - 45, 150, 45};
}

CAUGuiCtrl::~CAUGuiCtrl() { delete firstChild_; }

CAUGuiCtrl* CAUGuiCtrl::nextCtrl() const { return dynamic_cast<CAUGuiCtrl*>(next()); }

void CAUGuiCtrl::update(bool force) {
  if (updateChildren_ && !force) return;
  for (CAUGuiCtrl* c = firstChild_; c; c = c->nextCtrl()) c->update(false);
}

void CAUGuiCtrl::setShown(bool shown) {
  for (CAUGuiCtrl* c = firstChild_; c; c = c->nextCtrl()) c->setShown(shown);
}

void CAUGuiCtrl::draw(DrawContext&, int) {}
int CAUGuiCtrl::mouseDown(GuiPoint, bool, bool) { return kNotHandled; }
int CAUGuiCtrl::mouseDrag(GuiPoint, bool, bool) { return kNotHandled; }
int CAUGuiCtrl::mouseUp(GuiPoint, bool, bool) { return kNotHandled; }
bool CAUGuiCtrl::hasParameter() const { return isBound(); }
bool CAUGuiCtrl::isBound() const { return bound_; }

bool CAUGuiCtrl::needsRedraw() const {
  // Every control is asked, even after a dirty one: a control that polls here (a meter)
  // must see each idle, whatever lies before it in the tree.
  bool needed = dirty_;
  if (firstChild_) needed = firstChild_->needsRedraw() || needed;
  if (const CAUGuiCtrl* after = nextCtrl()) needed = after->needsRedraw() || needed;
  return needed;
}

void CAUGuiCtrl::addChild(CAUGuiCtrl* child) {
  if (!child) return;
  if (firstChild_)
    firstChild_->append(child);
  else
    firstChild_ = child;
  child->setOwner(this);
  child->moveBy(bounds_.x, bounds_.y);
  if (canvas_) canvas_->addControl(child);
}

GuiRect CAUGuiCtrl::bounds() const { return bounds_; }
void CAUGuiCtrl::getBounds(int& left, int& top, int& right, int& bottom) const {
  left = bounds_.x, top = bounds_.y, right = bounds_.right(), bottom = bounds_.bottom();
}
GuiRect CAUGuiCtrl::imageRect() const { return imageRect_; }
void CAUGuiCtrl::getImageRect(int& left, int& top, int& right, int& bottom) const {
  left = imageRect_.x, top = imageRect_.y, right = imageRect_.right(), bottom = imageRect_.bottom();
}
int CAUGuiCtrl::resolution() const { return resolution_; }
const ParamBinding& CAUGuiCtrl::binding() const { return binding_; }
float CAUGuiCtrl::range() const { return range_; }
CAUGuiCanvas* CAUGuiCtrl::canvas() const { return canvas_; }
CAUGuiCtrl* CAUGuiCtrl::owner() const { return owner_; }
void CAUGuiCtrl::setOwner(CAUGuiCtrl* owner) { owner_ = owner; }

void CAUGuiCtrl::moveBy(int dx, int dy) {
  bounds_.x += dx, bounds_.y += dy;
  imageRect_.x += dx, imageRect_.y += dy;
  for (CAUGuiCtrl* c = firstChild_; c; c = c->nextCtrl()) c->moveBy(dx, dy);
}

void CAUGuiCtrl::setBounds(const GuiRect& rect) { bounds_ = rect; }
void CAUGuiCtrl::placeImage(int x, int y, int w, int h) { imageRect_ = {x, y, w, h}; }
void CAUGuiCtrl::setImageRect(const GuiRect& rect) { imageRect_ = rect; }
void CAUGuiCtrl::insetImageRect(int left, int top, int right, int bottom) {
  imageRect_.x += left, imageRect_.y += top;
  imageRect_.w -= left + right, imageRect_.h -= top + bottom;
}

void CAUGuiCtrl::invalidate(const GuiRect& r) {
  // Invalidation flows down, up to the owner and across to the active child; a control
  // already passing a rectangle on ignores it coming back, so the walk always ends.
  if (invalidating_) return;
  invalidating_ = true;
  const GuiRect q = intersect(r, bounds_);
  if (!dirty_ || !dirtyList_.contains(q)) {
    dirty_ = true;
    dirtyList_.append(q);
    for (CAUGuiCtrl* c = firstChild_; c; c = c->nextCtrl())
      if (!c->dirty_ && (r.meets(c->bounds_) || r.meets(c->imageRect_))) c->invalidate(intersect(r, c->bounds_));
  }
  if (activeChild_) activeChild_->invalidate(r);
  if (owner_ && !owner_->dirtyList_.contains(r)) owner_->invalidate(r);
  invalidating_ = false;
}

void CAUGuiCtrl::redraw() { invalidate(bounds_); }

void CAUGuiCtrl::clearDirty() {
  dirty_ = false;
  dirtyList_.clear();
  for (CAUGuiCtrl* c = firstChild_; c; c = c->nextCtrl()) c->clearDirty();
}

bool CAUGuiCtrl::isDirty() const { return dirty_; }
const eRectList& CAUGuiCtrl::dirtyRects() const { return dirtyList_; }
int CAUGuiCtrl::dirtyRectCount() const { return dirtyList_.count(); }
int CAUGuiCtrl::position() const { return position_; }
int CAUGuiCtrl::maxPosition() const { return maxPosition_; }
int CAUGuiCtrl::minPosition() const { return minPosition_; }

void CAUGuiCtrl::setValue(float value) {
  value_ = value;
  position_ = std::clamp(positionForValue(value), minPosition_, std::max(minPosition_, maxPosition_));
}

void CAUGuiCtrl::setPosition(int position) {
  position_ = std::clamp(position, minPosition_, std::max(minPosition_, maxPosition_));
  value_ = valueForPosition(position_);
  if (canvas_) canvas_->reportControlValue(this);
}

void CAUGuiCtrl::setMaxPosition(int position) { maxPosition_ = position; }
void CAUGuiCtrl::setMinPosition(int position) { minPosition_ = position; }
void CAUGuiCtrl::drawTip(DrawContext&, int, bool) {}

CAUGuiCtrl* CAUGuiCtrl::findByParameter(int32_t index) {
  if (firstChild_)
    if (CAUGuiCtrl* found = firstChild_->findByParameter(index)) return found;
  if (bound_ && binding_.index == index) return this;
  CAUGuiCtrl* after = nextCtrl();
  return after ? after->findByParameter(index) : nullptr;
}

CAUGuiCtrl* CAUGuiCtrl::hitTest(GuiPoint p) {
  if (firstChild_)
    if (CAUGuiCtrl* hit = firstChild_->hitTest(p)) return hit;
  if (bounds_.contains(p)) return this;
  CAUGuiCtrl* after = nextCtrl();
  return after ? after->hitTest(p) : nullptr;
}

void CAUGuiCtrl::valueText(float value, char* buffer, std::size_t size) const {
  formatValueText(unitKind_, value, buffer, size);
}

int CAUGuiCtrl::positionForValue(float value) const {
  return ::positionForValue(value, binding_.desc.minimum, range_, maxPosition_ - minPosition_,
                            (binding_.desc.flags & kParamFlagLog) != 0);
}

float CAUGuiCtrl::valueForPosition(int position) const {
  return ::valueForPosition(position, binding_.desc.minimum, range_, maxPosition_ - minPosition_,
                            (binding_.desc.flags & kParamFlagLog) != 0);
}

void CAUGuiCtrl::setActiveChild(CAUGuiCtrl* child) {
  activeChild_ = child;
  if (canvas_) canvas_->setFocus(child ? child : this);
}

CAUGuiCtrl* CAUGuiCtrl::activeChild() const { return activeChild_; }
void CAUGuiCtrl::setFocus(bool) {}
int CAUGuiCtrl::keyDown(uint8_t key, int modifiers) { return owner_ ? owner_->keyDown(key, modifiers) : kNotHandled; }
void CAUGuiCtrl::midiLearned(int, int) {}

void CAUGuiCtrl::setEnabled(bool enabled) {
  enabled_ = enabled;
  redraw();
}

bool CAUGuiCtrl::isEnabled() const { return enabled_; }

void CAUGuiCtrl::hideTip() { invalidate({tipBox_.x - 1, tipBox_.y - 1, tipBox_.w + 2, tipBox_.h + 2}); }
