// A rotary control: a background image, a handle image drawn by value (or a pointer line),
// and a drag that turns it. The travel runs clockwise over 270 degrees from the lower left
// (0) through the top to the lower right (the maximum); straight down lies outside it.
// GUI thread only.
#pragma once

#include "gui/cauguictrl.h"

class CAUGuiGraphic;

class CAUGuiKnob : public CAUGuiCtrl {
 public:
  // A width or height of 0 takes the background image's width or frame height. The pointer
  // line is drawn when there is no handle image and pointerLine is 1. start and sweep are
  // in turns.
  CAUGuiKnob(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect, int resolution,
             CAUGuiGraphic* handle, CAUGuiGraphic* background, int pointerLine, float startTurns,
             float sweepTurns);

  void draw(DrawContext& context, int flags) override;
  // Also the area the pointer line may cover beyond the bounds.
  void redraw() override;
  // Alt-click resets to the parameter's default. Otherwise the press grabs the knob where
  // it is: a drag moves it by the angle (or, for selectors of 3 steps or fewer, the height)
  // travelled since the press, so nothing jumps when the press is off the pointer. With Ctrl
  // at the press it moves one step per pixel to the right instead. Alt held during a drag
  // changes nothing.
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;

  virtual void setCentre(int x, int y);

  float startAngle() const { return startAngle_; }
  float endAngle() const { return endAngle_; }
  bool isDragging() const { return dragging_; }

  // The pointer line: solid, 3 pixels wide, light grey.
  static constexpr GuiColour kPointerColour = 0xC8C8C8;
  static constexpr int kPointerWidth = 3;

 private:
  // Where the point lies on the travel, in positions (not limited: a selector's height
  // beyond its image reads past its ends; an angle in the dead zone reads as the end it
  // was last nearer to).
  double travelAt(GuiPoint p);

  CAUGuiGraphic* handle_;
  CAUGuiGraphic* background_;
  int pointerLine_;
  float startAngle_;
  float endAngle_;
  int centreX_ = 0;
  int centreY_ = 0;
  bool fineDrag_ = false;
  bool dragging_ = false;
  int16_t lastX_ = 0;
  // The grab: the position and the travel reading at the press.
  int grabPosition_ = 0;
  double grabTravel_ = 0.0;
  // The side of the travel (-1 lower left, 1 lower right) the pointer was last on.
  int lastSide_ = 0;
};

// The angle of a point seen from a knob's centre, as the knob reads it: 0 straight up,
// growing clockwise, -pi..pi (straight down is pi).
double knobAngle(int dx, int dy);
