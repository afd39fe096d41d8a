// Push buttons, switches and selectors: a press and a release change the position by the
// button's mode, a bound button reports every change to the plug-in, and a callback tells
// the panel of clicks. GUI thread only.
#pragma once

#include "gui/cauguictrl.h"

class CAUGuiGraphic;
class CAUGuiButton;

using ButtonCallback = void (*)(int value, CAUGuiButton* button, void* context);

class CAUGuiButton : public CAUGuiCtrl {
 public:
  // The modes. Momentary buttons show their image's last frame at rest and the first while
  // pressed; the fixed-value button likewise by its fixed value; the toggle shows the last
  // frame when on. Cycling and stepping buttons draw nothing themselves.
  enum Mode : int {
    kMomentary = 0,             // pressed at the maximum, back to 0 on release; callback on release
    kCycleUp = 1,               // each press one up, after the maximum back to 0
    kStepDown = 2,              // each press one down, below 0 to the maximum
    kFixedValue = 3,            // press and release set the fixed value
    kToggle = 4,                // each press switches between 0 and the maximum
    kMomentaryWithCallbacks = 5 // as momentary, with a callback on press and on release
  };

  // Bound to a parameter, one position step per unit of value.
  CAUGuiButton(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect, CAUGuiGraphic* image,
               CAUGuiGraphic* secondImage, int mode);
  // Unbound, with positions 0..maxPosition.
  CAUGuiButton(CAUGuiCanvas* canvas, int maxPosition, const GuiRect& rect, CAUGuiGraphic* image,
               CAUGuiGraphic* secondImage, int mode);

  void draw(DrawContext& context, int flags) override;
  // A disabled button ignores the mouse. The callback is told of the new position on press
  // (every mode but momentary) and of 0 on release (both momentary modes). A momentary
  // button released outside its bounds goes back to 0 without its click callback (the user
  // moved off to cancel); one with callbacks on press and release is always told the release.
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;

  virtual void setCallback(ButtonCallback callback, void* context);
  virtual void setFixedValue(int value);

  int mode() const { return mode_; }
  int fixedValue() const { return fixedValue_; }
  bool isPressed() const { return pressed_; }
  CAUGuiGraphic* image() const { return image_; }
  CAUGuiGraphic* secondImage() const { return secondImage_; }

  // Constant alpha of the image: full while enabled, faded while disabled.
  static constexpr uint8_t kEnabledAlpha = 255;
  static constexpr uint8_t kDisabledAlpha = 70;

 private:
  void notify(int value);

  CAUGuiGraphic* image_;
  CAUGuiGraphic* secondImage_;
  int mode_;
  ButtonCallback callback_ = nullptr;
  void* callbackContext_ = nullptr;
  int fixedValue_ = 0;
  bool pressed_ = false;
};
