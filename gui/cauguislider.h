// A linear fader: a track image, a handle image placed along it by value, a drag that
// moves it, and a value tip while it is dragged or hovered. GUI thread only.
#pragma once

#include <cstddef>

#include "gui/cauguictrl.h"

class CAUGuiGraphic;

class CAUGuiSlider : public CAUGuiCtrl {
 public:
  static constexpr int kVertical = 0;
  static constexpr int kHorizontal = 1;

  // A width or height of 0 takes the track image's width or frame height (the handle's
  // when there is no track image).
  CAUGuiSlider(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect, int orientation,
               int resolution, CAUGuiGraphic* handle, CAUGuiGraphic* track);

  void draw(DrawContext& context, int flags) override;
  // Alt-click resets to the parameter's default. Otherwise the press grabs the handle where
  // it is and a drag moves it by the distance travelled along the image rectangle (so
  // nothing jumps when the press is off the handle); dragged past an end it reads that
  // end. With Ctrl at the press it moves one step per 2 pixels instead. Alt held during a
  // drag changes nothing.
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;
  void drawTip(DrawContext& context, int flags, bool hover) override;

  // The other slider of a coarse/fine frequency pair and the switch that selects its range;
  // either may be none.
  virtual void setLinks(CAUGuiSlider* partner, CAUGuiCtrl* rangeSwitch);

  void setInverted(bool inverted) { inverted_ = inverted; }
  bool isInverted() const { return inverted_; }
  int orientation() const { return orientation_; }
  bool isDragging() const { return dragging_; }
  bool tipDrawn() const { return tipDrawn_; }
  CAUGuiSlider* partner() const { return partner_; }
  // The tip's second line for this slider's value.
  void tipText(char* buffer, std::size_t size) const;

  // Tip colours (its bevel: drawBevel).
  static constexpr GuiColour kTipFill = 0x969696;
  static constexpr GuiColour kTipText = 0xFFFFFF;

 private:
  // The point's place along the image rectangle in positions from the bottom or left end,
  // not limited to the travel.
  double travelAt(GuiPoint p) const;
  // The position counted from the bottom or left end.
  int travelled() const { return inverted_ ? maxPosition_ - position_ : position_; }

  int orientation_;
  CAUGuiGraphic* handle_;
  CAUGuiGraphic* track_;
  bool dragging_ = false;
  bool fineDrag_ = false;
  bool tipDrawn_ = false;
  bool inverted_ = false;
  CAUGuiSlider* partner_ = nullptr;
  CAUGuiCtrl* rangeSwitch_ = nullptr;
  GuiPoint last_{};
  int grabTravelled_ = 0;
  double grabTravel_ = 0.0;
};

// The tip's value line for unit kind `kind`. The coarse (0) and fine (4) frequency sliders
// show "HZ Hz : V Vv" from their own value and their partner's (partnerValue null: the
// plain readout instead), with the low range (x 0.03) when a range switch is given at 0;
// kinds 1 and 11 show their attenuation with two decimals, kind 7 the Q with five; the
// others read as the control's readout, and a kind without one repeats `name`.
void formatSliderTip(int kind, float value, const float* partnerValue, const float* switchValue, const char* name,
                     char* buffer, std::size_t size);
