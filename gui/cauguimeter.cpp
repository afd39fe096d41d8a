#include "gui/cauguimeter.h"

#include <algorithm>
#include <cmath>

#include "gui/cauguicanvas.h"
#include "gui/cauguigraphic.h"

float meterShare(int mode, float value, float frames, double tickHz, double sampleRate) {
  double v = value;
  switch (mode) {
    case CAUGuiMeter::kLevel:
      v = frames > 0 ? std::sqrt(std::max(0.0, v) / frames) * 2.5 : 0.0;
      break;
    case CAUGuiMeter::kLoad:
      // Seconds spent on the block over the seconds of audio it made.
      v = (frames > 0 && tickHz > 0 && sampleRate > 0) ? (v / tickHz) / (frames / sampleRate) : 0.0;
      break;
    default:
      break;
  }
  if (!std::isfinite(v)) return 0.0f;
  return static_cast<float>(std::clamp(v, 0.0, 1.0));
}

CAUGuiMeter::CAUGuiMeter(CAUGuiCanvas* canvas, int meterIndex, const GuiRect& rect, int maxPosition,
                         CAUGuiGraphic* image, CAUGuiGraphic* background, int mode)
    : CAUGuiCtrl(canvas, rect, static_cast<float>(maxPosition)),
      meterIndex_(meterIndex),
      image_(image),
      background_(background),
      mode_(mode) {
  typeTag_ = kTagMeter;
}

bool CAUGuiMeter::needsRedraw() const {
  ++reads_;
  if (canvas_) {
    const CanvasPlugin* plugin = canvas_->plugin();
    const float share = meterShare(mode_, canvas_->meterValue(meterIndex_), canvas_->meterValue(3),
                                   plugin ? plugin->meterClockHz() : 0.0, plugin ? plugin->sampleRate() : 0.0);
    const int p = static_cast<int>(float(maxPosition_) * share);
    if (p != position_) {
      // The meter shows what the plug-in measured; nothing goes back to it.
      auto* self = const_cast<CAUGuiMeter*>(this);
      self->position_ = p;
      self->redraw();
    }
  }
  return CAUGuiCtrl::needsRedraw();
}

void CAUGuiMeter::draw(DrawContext& context, int flags) {
  if (background_ && background_->bitmap())
    background_->stretchBlit(context, bounds_, {0, 0, background_->width(), background_->frameHeight()});
  if (image_) image_->draw(context, flags, imageRect_, maxPosition_ > 0 ? float(position_) / maxPosition_ : 0.0f);
}
