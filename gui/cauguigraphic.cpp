#include "gui/cauguigraphic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "gui/platform_rect.h"
#include "platform/platform.h"

namespace {

// A value as the images read it: 0..1, and 0 for a value that is not a number.
float unitValue(float value) { return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f); }

int truncated(double v) { return static_cast<int>(v); }

// The decoded pixels in a bitmap of the platform; null (and the user told) when the
// system refuses the bitmap.
std::unique_ptr<platform::Bitmap> bitmapOf(const DecodedImage& image, const char* name) {
  std::unique_ptr<platform::Bitmap> bitmap = platform::Bitmap::create(image.width, image.height);
  if (!bitmap) {
    reportImageNotLoaded(name);
    return nullptr;
  }
  const std::size_t rowBytes = std::size_t(image.width) * 4;
  for (int y = 0; y < image.height; ++y) std::memcpy(bitmap->row(y), &image.pixels[std::size_t(y) * image.width], rowBytes);
  return bitmap;
}

}  // namespace

// ---- CAUGuiGraphic ----

CAUGuiGraphic::CAUGuiGraphic(const ImageSource& source, int frames) {
  typeTag_ = kTagGraphic;
  DecodedImage image;
  if (loadImage(source, image)) bitmap_ = bitmapOf(image, source.name);
  if (bitmap_) {
    width_ = image.width;
    height_ = image.height;
  }
  frames_ = std::max(1, frames);
  frameHeight_ = bitmap_ ? std::max(1, height_ / frames_) : 1;
}

CAUGuiGraphic::~CAUGuiGraphic() = default;

bool CAUGuiGraphic::hasFrames() const { return frames_ != 1; }
platform::Bitmap* CAUGuiGraphic::bitmap() const { return bitmap_.get(); }
int CAUGuiGraphic::frameCount() const { return frames_; }
int CAUGuiGraphic::width() const { return bitmap_ ? width_ : 0; }
int CAUGuiGraphic::frameHeight() const { return frameHeight_; }

void CAUGuiGraphic::draw(DrawContext& context, int, const GuiRect& dest, float value) {
  if (!bitmap_) return;
  const int k = frameForValue(frames_, value);
  stretchBlit(context, dest, {0, k * frameHeight_, width_, frameHeight_});
}

void CAUGuiGraphic::stretchBlit(DrawContext& context, const GuiRect& dest, const GuiRect& source) const {
  if (!bitmap_ || dest.empty() || source.empty()) return;
  const GuiRect inside = intersect(source, {0, 0, width_, height_});
  if (!(inside == source)) return;  // a source beyond the image has no defined stretch
  context.blend(*bitmap_, toPlatform(source), toPlatform(dest), alpha_);
}

void CAUGuiGraphic::placeBlit(DrawContext& context, const GuiRect& dest, int sourceX, int sourceY) const {
  if (!bitmap_) return;
  const GuiRect source = intersect({sourceX, sourceY, dest.w, dest.h}, {0, 0, width_, height_});
  if (source.empty()) return;
  const GuiRect to{dest.x + (source.x - sourceX), dest.y + (source.y - sourceY), source.w, source.h};
  context.blend(*bitmap_, toPlatform(source), toPlatform(to), alpha_);
}

// ---- CAUGuiHandleImage ----

CAUGuiHandleImage::CAUGuiHandleImage(const ImageSource& source, int xOffset, int yOffset, int orientation)
    : CAUGuiGraphic(source), xOffset_(xOffset), yOffset_(yOffset), orientation_(orientation) {}

void CAUGuiHandleImage::draw(DrawContext& context, int, const GuiRect& control, float value) {
  if (!bitmap_) return;
  GuiRect r;
  handleRect(r, control, value);
  stretchBlit(context, r, {0, 0, width_, frameHeight_});
}

void CAUGuiHandleImage::handleRect(GuiRect& out, const GuiRect& control, float value) const {
  out = handlePlacement(control, value, width(), bitmap_ ? frameHeight_ : 0, xOffset_, yOffset_, isVertical());
}

// ---- CAUGuiCroppingImage ----

CAUGuiCroppingImage::CAUGuiCroppingImage(const ImageSource& source, int xOffset, int yOffset, int edges, int cropMode)
    : CAUGuiGraphic(source), xOffset_(xOffset), yOffset_(yOffset), edges_(edges == 0 ? kTop : edges),
      mode_(cropMode) {}

void CAUGuiCroppingImage::draw(DrawContext& context, int, const GuiRect& dest, float value) {
  CropBlit blit;
  if (!bitmap_ || !cropPlacement(dest, value, width_, frameHeight_, xOffset_, yOffset_, edges_, mode_, blit)) return;
  if (blit.stretch)
    stretchBlit(context, blit.dest, blit.source);
  else
    placeBlit(context, blit.dest, blit.source.x, blit.source.y);
}

// ---- CAUGuiSpinImage ----

CAUGuiSpinImage::CAUGuiSpinImage(const ImageSource& source, float startTurns, float sweepTurns, float pivotDx,
                                 float pivotDy, uint8_t flag)
    : CAUGuiGraphic(source), flag_(flag) {
  typeTag_ = kTagSpinImage;
  constexpr float twoPi = 2.0f * std::numbers::pi_v<float>;
  startAngle_ = -twoPi * startTurns;
  endAngle_ = startAngle_ + twoPi * sweepTurns;
  // Without a bitmap there is no size to take fractions of: the pivot stays in the centre.
  pivotX_ = (width() > 0 ? pivotDx / width() : 0.0f) + 0.5f;
  pivotY_ = (bitmap_ ? pivotDy / frameHeight_ : 0.0f) + 0.5f;
}

void CAUGuiSpinImage::draw(DrawContext&, int, const GuiRect&, float) {}
void CAUGuiSpinImage::drawAtPivot(DrawContext&, int, const GuiRect&, float, int, int) {}

// ---- geometry ----

int frameForValue(int frames, float value) {
  if (frames <= 1 || std::isnan(value)) return 0;
  const double k = std::trunc(double(frames - 1) * value);
  return static_cast<int>(std::clamp(k, 0.0, double(frames - 1)));
}

GuiRect handlePlacement(const GuiRect& control, float value, int imageWidth, int frameHeight, int xOffset,
                        int yOffset, bool vertical) {
  if (imageWidth <= 0 || frameHeight <= 0) return control;
  const float v = unitValue(value);
  if (vertical) {
    const int h = truncated(double(control.w) / imageWidth * frameHeight);
    return {control.x - xOffset, control.y + truncated((1.0 - v) * control.h) - yOffset - h / 2, control.w, h};
  }
  const int w = truncated(double(control.h) / frameHeight * imageWidth);
  return {control.x + truncated(double(control.w) * v) + xOffset - w / 2, control.y - yOffset, w, control.h};
}

bool cropPlacement(const GuiRect& dest, float value, int imageWidth, int frameHeight, int xOffset, int yOffset,
                   int edges, int mode, CropBlit& out) {
  using C = CAUGuiCroppingImage;
  if (imageWidth <= 0 || frameHeight <= 0 || dest.empty()) return false;
  const double o = 1.0 - unitValue(value);
  const double W = dest.w, H = dest.h;
  GuiRect r = dest;
  if (mode == C::kSlide) {
    const int across = edges & (C::kLeft | C::kRight), down = edges & (C::kTop | C::kBottom);
    if (across == C::kLeft) r.x -= truncated(W * o);
    if (across == C::kRight) r.x += truncated(W * o);
    if (down == C::kTop) r.y += truncated(H * o);
    if (down == C::kBottom) r.y -= truncated(H * o);
    out = {r, {0, 0, r.w, r.h}, false};
    return true;
  }
  // The edges that move give up the share of their side that the value leaves out; tx and
  // ty are the image's anchor point (centre plus offset) in destination pixels.
  const double tx = W / imageWidth * (imageWidth / 2.0 + xOffset);
  const double ty = H / frameHeight * (frameHeight / 2.0 + yOffset);
  if ((edges & C::kLeft) && tx > 0) {
    const int c = truncated(tx * o);
    r.x += c;
    r.w -= c;
  }
  if ((edges & C::kTop) && ty > 0) {
    const int c = truncated(ty * o);
    r.y += c;
    r.h -= c;
  }
  // The right and bottom edges come in toward the anchor as the value falls.
  if ((edges & C::kRight) && tx > 0) r.w -= truncated(tx * o);
  if ((edges & C::kBottom) && ty > 0) r.h -= truncated(ty * o);
  if (r.empty()) return false;
  if (mode == C::kCrop) {
    out = {r, {0, 0, r.w, r.h}, false};
    return true;
  }
  const int sourceW = truncated(r.w / W * imageWidth);
  const int sourceH = (edges & C::kBottom) ? truncated(r.h / H * frameHeight) : frameHeight;
  if (sourceW <= 0 || sourceH <= 0) return false;
  out = {r, {0, 0, sourceW, sourceH}, true};
  return true;
}
