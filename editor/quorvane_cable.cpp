#include "editor/quorvane_cable.h"

#include <algorithm>
#include <cmath>

#include "gui/cauguicanvas.h"
#include "gui/cauguigraphic.h"
#include "gui/platform_rect.h"

namespace {

GuiRect grown(const GuiRect& r, int by) { return {r.x - by, r.y - by, r.w + 2 * by, r.h + 2 * by}; }

// The three strokes of a cord, darkest first: width, grey, offset.
struct Stroke {
  int width;
  platform::Colour colour;
  int ox, oy;
};
constexpr Stroke kStrokes[] = {{6, 0x787878, 6, 6}, {3, 0x8C8C8C, 4, 8}, {3, 0xA0A0A0, 8, 4}};
// The strokes reach this far right of and below a jack's corner, half their width included.
constexpr int kStrokeReach = 8 + 3;

// Draw order: inputs, then two-way jacks, then outputs; the higher end draws the cord.
int drawRank(int kind) { return kind == Quorvane_Cable::kOutput ? 2 : kind == Quorvane_Cable::kTwoWay ? 1 : 0; }

}  // namespace

GuiRect unionRect(const GuiRect& a, const GuiRect& b) {
  const int32_t l = std::min(a.x, b.x), t = std::min(a.y, b.y);
  return {l, t, std::max(a.right(), b.right()) - l, std::max(a.bottom(), b.bottom()) - t};
}

GuiRect cableArea(const GuiRect& jack, const GuiRect& end) {
  GuiRect u = unionRect(jack, end);
  const float d = std::fabs(static_cast<float>(jack.y - (end.y + 7)));
  const float t = d / 360.0f;
  const float s = 20.0f - (t * t - (t - 1.5f) * (t - 1.5f)) * 60.0f;
  if (s > 41.0f)
    u.h = static_cast<int32_t>(static_cast<float>(u.h) + s);
  else
    u.h += 40;
  return u;
}

std::vector<GuiPoint> cordStroke(const GuiRect& start, const GuiRect& end, float sag, int ox, int oy) {
  const float dx = static_cast<float>(start.x - end.x);
  const float dy = static_cast<float>(start.y - end.y);
  const float a = dy / (6.0f * sag) - 1.5f;
  const float b = a + 3.0f;
  const float sx = static_cast<float>(start.x), sy = static_cast<float>(start.y);
  std::vector<GuiPoint> points;
  points.reserve(34);
  points.push_back({static_cast<int16_t>(start.x + ox), static_cast<int16_t>(start.y + oy)});
  for (float u = a; u < b; u = static_cast<float>(static_cast<double>(u) + 0.1)) {
    const float x = sx - ((u - a) / (b - a)) * dx + static_cast<float>(ox);
    const float y = sy - (u * u - a * a) * sag + static_cast<float>(oy);
    points.push_back({static_cast<int16_t>(x), static_cast<int16_t>(y)});
  }
  // The curve meets the end exactly; the last point is the end itself, so rounding in the
  // float steps never leaves the cord a pixel short of its jack.
  points.push_back({static_cast<int16_t>(end.x + ox), static_cast<int16_t>(end.y + oy)});
  return points;
}

// --- the jack ----------------------------------------------------------------------------

namespace {

GuiRect sizedRect(GuiRect r, const CAUGuiGraphic* plugImage, const CAUGuiGraphic* sizeImage) {
  const CAUGuiGraphic* sizer = sizeImage ? sizeImage : plugImage;
  if (sizer && r.w == 0) r.w = sizer->width();
  if (sizer && r.h == 0) r.h = sizer->frameHeight();
  return r;
}

}  // namespace

Quorvane_Cable::Quorvane_Cable(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect, int resolution,
                               CAUGuiGraphic* plugImage, CAUGuiGraphic* sizeImage, const char* code, int kind)
    : CAUGuiCtrl(canvas, binding, sizedRect(rect, plugImage, sizeImage), resolution),
      plugImage_(plugImage), sizeImage_(sizeImage), code_(code ? code : ""), kind_(kind) {
  coverRect_ = bounds_;
  value_ = 0.0f;
  jackIndex_ = canvas ? canvas->addCable(this) + 1 : 0;
}

// The nodes are the lists' own; the images belong to the canvas.
Quorvane_Cable::~Quorvane_Cable() = default;

bool Quorvane_Cable::isLinkedTo(const Quorvane_Cable* other) const {
  return std::find(peers_.begin(), peers_.end(), other) != peers_.end();
}

Quorvane_Cable* Quorvane_Cable::jackAt(int jackIndex) const {
  return canvas_ && jackIndex >= 1 ? dynamic_cast<Quorvane_Cable*>(canvas_->cable(jackIndex - 1)) : nullptr;
}

Quorvane_Cable* Quorvane_Cable::namedPeer() const {
  Quorvane_Cable* peer = jackAt(static_cast<int>(value_));
  return peer != this ? peer : nullptr;
}

GuiRect Quorvane_Cable::cordArea(const Quorvane_Cable* a, const Quorvane_Cable* b) {
  const GuiRect both = unionRect(cableArea(a->bounds_, b->bounds_), cableArea(b->bounds_, a->bounds_));
  return grown(GuiRect{both.x, both.y, both.w + kStrokeReach, both.h + kStrokeReach}, 7);
}

void Quorvane_Cable::updateImageRect() {
  GuiRect area = bounds_;
  for (const Quorvane_Cable* p : peers_) area = unionRect(area, cordArea(this, p));
  if (dragging_ || looseEnd_) area = unionRect(area, coverRect_);
  setImageRect(area);
}

void Quorvane_Cable::link(Quorvane_Cable* a, Quorvane_Cable* b) {
  if (a == b || a->isLinkedTo(b)) return;
  a->endRect_ = b->bounds_;
  b->endRect_ = a->bounds_;
  a->peers_.insert(a->peers_.begin(), b);
  b->peers_.insert(b->peers_.begin(), a);
  a->updateImageRect();
  b->updateImageRect();
  a->invalidate(cordArea(a, b));
}

void Quorvane_Cable::unlink(Quorvane_Cable* a, Quorvane_Cable* b) {
  if (!a->isLinkedTo(b)) return;
  std::erase(a->peers_, b);
  std::erase(b->peers_, a);
  // The whole cord is drawn over with the panel again, before the image rectangles shrink.
  a->invalidate(cordArea(a, b));
  a->updateImageRect();
  b->updateImageRect();
}

void Quorvane_Cable::reportOwnValue() {
  if (canvas_) canvas_->reportValue(this, value_);
}

void Quorvane_Cable::pointAt(int jackIndex, bool report) {
  Quorvane_Cable* old = namedPeer();
  value_ = static_cast<float>(jackIndex);
  if (report) reportOwnValue();
  Quorvane_Cable* now = namedPeer();
  if (old && old != now && old->namedPeer() != this) unlink(this, old);
  if (now) link(this, now);
}

void Quorvane_Cable::removeAll(bool reportSelf) {
  const std::vector<Quorvane_Cable*> was = peers_;
  for (Quorvane_Cable* p : was) {
    unlink(this, p);
    if (p->namedPeer() == this) {
      p->value_ = 0.0f;
      p->reportOwnValue();
    }
  }
  value_ = 0.0f;
  if (reportSelf) reportOwnValue();
  updateImageRect();
}

void Quorvane_Cable::connectCable(Quorvane_Cable* a, Quorvane_Cable* b) {
  if (!a) return;
  if (!b) {
    a->removeAll(true);
    return;
  }
  if (b == a || a->isLinkedTo(b)) return;
  const bool aReports = b->kind_ == kOutput || a->kind_ == kInput;
  Quorvane_Cable* reporter = aReports ? a : b;
  Quorvane_Cable* target = aReports ? b : a;
  // An input holds one cord: plugging into it pulls the one it had. An output or two-way
  // jack keeps the cords that other jacks point at it.
  if (reporter->kind_ == kInput) reporter->removeAll(false);
  reporter->pointAt(target->jackIndex_, true);
}

// --- drawing -----------------------------------------------------------------------------

bool Quorvane_Cable::drawsCordTo(const Quorvane_Cable* peer) const {
  const int mine = drawRank(kind_), theirs = drawRank(peer->kind_);
  return mine != theirs ? mine > theirs : jackIndex_ < peer->jackIndex_;
}

void Quorvane_Cable::drawPlug(DrawContext& context, int flags, const GuiRect& at) const {
  if (plugImage_) plugImage_->draw(context, flags, at, 0.0f);
}

void Quorvane_Cable::drawCable(DrawContext& context, const GuiRect& start, const GuiRect& end) const {
  for (const Stroke& s : kStrokes) {
    const std::vector<GuiPoint> points = cordStroke(start, end, sag_, s.ox, s.oy);
    std::vector<platform::Point> line;
    line.reserve(points.size());
    for (GuiPoint p : points) line.push_back(toPlatform(p));
    context.drawPolyline(line.data(), line.size(), s.width, s.colour);
  }
}

void Quorvane_Cable::draw(DrawContext& context, int flags) {
  if (dragging_ && dragPeers_.empty()) {
    // The rubber cord that follows the pointer.
    drawPlug(context, flags, bounds_);
    drawPlug(context, flags, endRect_);
    drawCable(context, bounds_, endRect_);
  }
  if (dragging_) {
    for (const Quorvane_Cable* q : dragPeers_) {
      drawPlug(context, flags, q->bounds_);
      drawPlug(context, flags, q->endRect_);
      drawCable(context, q->bounds_, q->endRect_);
    }
  }
  for (const Quorvane_Cable* p : peers_) {
    if (!drawsCordTo(p)) continue;
    drawPlug(context, flags, p->bounds_);
    drawPlug(context, flags, bounds_);
    drawCable(context, p->bounds_, bounds_);
  }
}

// --- the mouse ---------------------------------------------------------------------------

int Quorvane_Cable::mouseDown(GuiPoint p, bool altDown, bool ctrlDown) {
  dragging_ = true;
  if (!peers_.empty()) {
    dragPeers_.assign(peers_.rbegin(), peers_.rend());
    connectCable(this, nullptr);
    for (Quorvane_Cable* q : dragPeers_) {
      q->looseEnd_ = true;
      q->mouseDrag(p, altDown, ctrlDown);
    }
  } else {
    mouseDrag(p, altDown, ctrlDown);
  }
  return kHandled;
}

void Quorvane_Cable::followPointer(GuiPoint p) {
  endRect_ = {p.x - 7, p.y - 7, 14, 14};
  lastArea_ = cableArea(bounds_, endRect_);
  const GuiRect area = grown(GuiRect{lastArea_.x, lastArea_.y, lastArea_.w + kStrokeReach, lastArea_.h + kStrokeReach}, 7);
  // The jack being dragged erases where the loose cord was and shows where it is.
  if (dragging_) invalidate(grown(unionRect(area, coverRect_), 7));
  coverRect_ = area;
  updateImageRect();
}

int Quorvane_Cable::mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) {
  if (dragging_ && !dragPeers_.empty()) {
    GuiRect area = bounds_;
    for (Quorvane_Cable* q : dragPeers_) {
      area = unionRect(area, q->coverRect_);
      q->mouseDrag(p, altDown, ctrlDown);
      area = unionRect(area, q->coverRect_);
    }
    setImageRect(unionRect(imageRect_, area));
    invalidate(area);
    return kHandled;
  }
  followPointer(p);
  return kHandled;
}

int Quorvane_Cable::mouseUp(GuiPoint p, bool altDown, bool ctrlDown) {
  Quorvane_Cable* target = canvas_ ? dynamic_cast<Quorvane_Cable*>(canvas_->cableAt(p)) : nullptr;
  if (dragging_ && !dragPeers_.empty()) {
    GuiRect area = bounds_;
    for (const Quorvane_Cable* q : dragPeers_) area = unionRect(area, q->coverRect_);
    const std::vector<Quorvane_Cable*> taken = std::move(dragPeers_);
    dragPeers_.clear();
    dragging_ = false;
    for (Quorvane_Cable* q : taken) {
      q->looseEnd_ = false;
      if (target) q->mouseUp(p, altDown, ctrlDown);
      q->updateImageRect();
    }
    invalidate(area);
  } else {
    if (target && kindsFit(target->kind_, kind_)) connectCable(this, target);
    if (dragging_) invalidate(coverRect_);
  }
  dragging_ = false;
  updateImageRect();
  return kHandled;
}

void Quorvane_Cable::setValue(float value) {
  // The canvas hands over the plain value; an index is the nearest whole number.
  const int index = std::isfinite(value) && value > 0.0f && value < 1000.0f ? static_cast<int>(std::lround(value)) : 0;
  pointAt(index, false);
}
