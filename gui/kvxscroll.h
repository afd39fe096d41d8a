// Scroll bars of the lists and the notes area: a thumb whose height is the visible share
// of the content and whose place is the scroll position, dragged with the mouse.
#pragma once

#include "gui/cauguictrl.h"

// What a scroll bar drives: a scroll position 0..1 and the share of the content in view.
class KVXScrollable {
 public:
  virtual float visibleFraction() = 0;
  virtual float scroll() const = 0;
  virtual void setScroll(float position) = 0;
  // The control to redraw when the position changes.
  virtual CAUGuiCtrl* scrolledControl() = 0;

 protected:
  ~KVXScrollable() = default;
};

// A vertical scroll bar over `target`. The thumb runs inside the track (the bounds less
// `inset` pixels at the top and the bottom), never past its ends. A press on the thumb
// grabs it; the drag moves the scroll position by the distance from the press, so dragging
// down and back up by the same distance returns exactly where it started. Nothing drags
// while the whole content is in view.
class KVXScrollSlider : public CAUGuiCtrl {
 public:
  KVXScrollSlider(CAUGuiCanvas* canvas, const GuiRect& rect, KVXScrollable* target, int inset);

  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;

  // Starts a drag from p wherever it lies, as a press on the thumb would (for a drag over
  // the scrolled content itself).
  void beginDrag(GuiPoint p);
  // The thumb's top and height for the target's current state.
  void thumb(int& top, int& height) const;
  bool isDragging() const { return dragging_; }
  KVXScrollable* target() const { return target_; }

 protected:
  KVXScrollable* target_;
  int inset_;
  bool dragging_ = false;
  GuiPoint pressPoint_{};
  float pressScroll_ = 0.0f;
};
