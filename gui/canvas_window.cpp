#include "gui/canvas_window.h"

#include "gui/platform_rect.h"

CanvasWindowLink::CanvasWindowLink(CAUGuiCanvas& canvas, platform::Window& window)
    : canvas_(canvas), window_(window) {
  window_.setListener(this);
}

CanvasWindowLink::~CanvasWindowLink() { window_.setListener(nullptr); }

void CanvasWindowLink::onPaint(platform::PaintTarget& target, const platform::Rect& dirty) {
  canvas_.paint(target, fromPlatform(dirty));
}

void CanvasWindowLink::onMouseMove(const platform::MouseEvent& e) {
  const GuiPoint p = fromPlatform(e.point);
  if (p == last_) return;
  if (e.buttonHeld)
    canvas_.mouseDrag(p, e.control);
  else
    canvas_.mouseMove(p);
  last_ = p;
}

void CanvasWindowLink::onMouseDown(const platform::MouseEvent& e) {
  window_.takeFocus();
  window_.captureMouse();
  last_ = fromPlatform(e.point);
  canvas_.mouseDown(last_, e.control, e.shift);
}

void CanvasWindowLink::onMouseUp(const platform::MouseEvent& e) {
  window_.releaseMouse();
  last_ = fromPlatform(e.point);
  canvas_.mouseUp(last_, e.control);
}

void CanvasWindowLink::onKeyDown(int virtualKey, const platform::KeyModifiers& m) {
  const int modifiers = (m.shift ? kModShift : 0) | (m.control ? kModControl : 0) | (m.alt ? kModAlt : 0);
  canvas_.keyDown(static_cast<uint8_t>(virtualKey & 0xFF), modifiers);
}

void CanvasWindowLink::onCaptureLost() { canvas_.mouseUp(last_, false); }
