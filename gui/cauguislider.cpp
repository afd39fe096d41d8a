#include "gui/cauguislider.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "gui/bevel.h"
#include "gui/cauguigraphic.h"
#include "gui/platform_rect.h"

namespace {

// "-200 dB Attenuation" at or below zero gain, else its decibels with two decimals.
void attenuationTip(double gain, char* buffer, std::size_t size) {
  if (gain > 0)
    std::snprintf(buffer, size, "%3.2f dB Attenuation", 20.0 * std::log10(gain));
  else
    std::snprintf(buffer, size, "-200 dB Attenuation");
}

}  // namespace

void formatSliderTip(int kind, float value, const float* partnerValue, const float* switchValue, const char* name,
                     char* buffer, std::size_t size) {
  if (!buffer || size == 0) return;
  buffer[0] = '\0';
  const double v = value;
  if ((kind == 0 || kind == 4) && partnerValue) {
    const double volts = kind == 0 ? v * 10.0 + *partnerValue - 0.5 : *partnerValue * 10.0 + v - 0.5;
    const double scale = (switchValue && *switchValue == 0.0f) ? 0.03 : 10.0;
    const double hz = std::min(std::exp2(volts) * scale, 20000.0);
    std::snprintf(buffer, size, "%5.3f Hz : %2.4f Vv", hz, volts);
    return;
  }
  switch (kind) {
    case 1: attenuationTip(v, buffer, size); return;
    case 11: attenuationTip(v * 0.1 - 0.01, buffer, size); return;
    case 7: std::snprintf(buffer, size, "%2.5f Q", v); return;
    default: break;
  }
  if (kind >= 0 && kind <= 14)
    formatValueText(kind, value, buffer, size);
  else
    std::snprintf(buffer, size, "%s", name ? name : "");
}

CAUGuiSlider::CAUGuiSlider(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect, int orientation,
                           int resolution, CAUGuiGraphic* handle, CAUGuiGraphic* track)
    : CAUGuiCtrl(canvas, binding, rect, resolution), orientation_(orientation), handle_(handle), track_(track) {
  typeTag_ = kTagSlider;
  CAUGuiGraphic* sizer = track_ ? track_ : handle_;
  if (sizer) {
    if (bounds_.w == 0) bounds_.w = imageRect_.w = sizer->width();
    if (bounds_.h == 0) bounds_.h = imageRect_.h = sizer->bitmap() ? sizer->frameHeight() : 0;
  }
}

void CAUGuiSlider::setLinks(CAUGuiSlider* partner, CAUGuiCtrl* rangeSwitch) {
  partner_ = partner != this ? partner : nullptr;
  rangeSwitch_ = rangeSwitch;
}

void CAUGuiSlider::draw(DrawContext& context, int flags) {
  if (track_ && track_->bitmap()) track_->placeBlit(context, bounds_, 0, 0);
  if (!handle_) return;
  const float f = maxPosition_ > 0 ? float(travelled()) / float(maxPosition_) : 0.0f;
  handle_->draw(context, flags, imageRect_, f);
}

double CAUGuiSlider::travelAt(GuiPoint p) const {
  const double top = maxPosition_;
  if (orientation_ == kHorizontal)
    return imageRect_.w > 0 ? double(p.x - imageRect_.x) / imageRect_.w * top : 0.0;
  return imageRect_.h > 0 ? (1.0 - double(p.y - imageRect_.y) / imageRect_.h) * top : 0.0;
}

int CAUGuiSlider::mouseDown(GuiPoint p, bool altDown, bool ctrlDown) {
  last_ = p;
  fineDrag_ = ctrlDown;
  if (altDown) {
    setPosition(positionForValue(binding_.desc.defaultValue));
    dragging_ = false;
    redraw();
    invalidate(tipBox_);
    return kHandled;
  }
  grabTravelled_ = travelled();
  grabTravel_ = travelAt(p);
  dragging_ = true;
  invalidate(tipBox_);
  return kHandled;
}

int CAUGuiSlider::mouseDrag(GuiPoint p, bool, bool) {
  if (dragging_) {
    int m;
    if (fineDrag_) {
      m = travelled();
      // One step per 2 pixels; a 1-pixel move waits for the next.
      const int diff = orientation_ == kHorizontal ? p.x - last_.x : last_.y - p.y;
      const int steps = diff / 2;
      m += steps;
      if (orientation_ == kHorizontal)
        last_.x = static_cast<int16_t>(last_.x + 2 * steps);
      else
        last_.y = static_cast<int16_t>(last_.y - 2 * steps);
    } else {
      m = grabTravelled_ + static_cast<int>(std::lround(travelAt(p) - grabTravel_));
    }
    m = std::clamp(m, 0, std::max(0, maxPosition_));
    setPosition(inverted_ ? maxPosition_ - m : m);
    redraw();
  }
  invalidate(tipBox_);
  return kHandled;
}

int CAUGuiSlider::mouseUp(GuiPoint p, bool altDown, bool ctrlDown) {
  if (dragging_) mouseDrag(p, altDown, ctrlDown);
  fineDrag_ = false;
  redraw();
  invalidate(tipBox_);
  dragging_ = false;
  return kHandled;
}

void CAUGuiSlider::tipText(char* buffer, std::size_t size) const {
  const float partnerValue = partner_ ? partner_->value() : 0.0f;
  const float switchValue = rangeSwitch_ ? rangeSwitch_->value() : 0.0f;
  formatSliderTip(unitKind_, value_, partner_ ? &partnerValue : nullptr, rangeSwitch_ ? &switchValue : nullptr,
                  binding_.desc.name, buffer, size);
}

void CAUGuiSlider::drawTip(DrawContext& context, int, bool hover) {
  if (!dragging_ && !hover) return;
  tipDrawn_ = true;
  const GuiRect& b = tipBox_;
  context.fillRect(toPlatform(b), kTipFill);
  drawBevel(context, b);

  const platform::Font font{"Helvetica", 14, 400};
  const unsigned format = platform::text::kSingleLine | platform::text::kNoPrefix;
  // The name: at most 50 characters.
  const std::string name(binding_.desc.name, strnlen(binding_.desc.name, 50));
  const GuiRect inner{b.x + 2, b.y + 2, b.w - 4, b.h - 4};
  context.drawText(name, toPlatform(inner), font, kTipText, format);
  char value[kValueTextSize];
  tipText(value, sizeof value);
  context.drawText(value, toPlatform({inner.x, inner.y + 14, inner.w, inner.h - 14}), font, kTipText, format);
}
