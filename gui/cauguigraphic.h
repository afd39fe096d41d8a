// The editor's pictures: a "PNG" resource decoded once into a premultiplied bitmap and drawn
// with per-pixel alpha, whole, by frame (frames stacked vertically, frame 0 on top) or by
// part; and three images drawn in relation to a control's value: a handle placed along a
// track, an image cut back by value (level meters) and a spin image. The canvas owns every
// image once it is given to it (CAUGuiCanvas::addGraphic). GUI thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/cauguiitem.h"
#include "gui/draw_context.h"
#include "gui/geometry.h"
#include "gui/png_resource.h"

namespace platform {
class Bitmap;
}

class CAUGuiGraphic : public CAUGuiItem {
 public:
  // Loads the image (a "PNG" resource by name); `frames` below 2 give one frame. An image that cannot be loaded is
  // reported to the user ("Loading" box) and keeps no bitmap: it has width 0, frame height
  // 1, and draws nothing.
  explicit CAUGuiGraphic(const ImageSource& source, int frames = 1);
  ~CAUGuiGraphic() override;

  virtual bool hasFrames() const;
  virtual platform::Bitmap* bitmap() const;
  virtual int frameCount() const;
  virtual int width() const;
  virtual int frameHeight() const;
  // Blends the frame chosen by `value` (frameForValue) onto dest, stretched to it.
  virtual void draw(DrawContext& context, int flags, const GuiRect& dest, float value);

  int height() const { return height_; }
  uint8_t constantAlpha() const { return alpha_; }
  void setConstantAlpha(uint8_t alpha) { alpha_ = alpha; }

  // The part `source` of the image, stretched onto dest.
  void stretchBlit(DrawContext& context, const GuiRect& dest, const GuiRect& source) const;
  // The part of the image at (sourceX, sourceY) of dest's size, onto dest (1:1). Whatever
  // lies outside the image is left out on both sides.
  void placeBlit(DrawContext& context, const GuiRect& dest, int sourceX, int sourceY) const;

 protected:
  int width_ = 0;
  int height_ = 0;
  uint8_t alpha_ = 255;
  std::unique_ptr<platform::Bitmap> bitmap_;
  int frames_ = 1;
  int frameHeight_ = 1;
};

// A slider's or knob's handle: drawn centred on the point of the control's travel that
// stands for the value (value 1 at the top or the right end).
class CAUGuiHandleImage : public CAUGuiGraphic {
 public:
  // orientation 1 is vertical, anything else horizontal.
  CAUGuiHandleImage(const ImageSource& source, int xOffset, int yOffset, int orientation);

  void draw(DrawContext& context, int flags, const GuiRect& control, float value) override;
  virtual void handleRect(GuiRect& out, const GuiRect& control, float value) const;

  bool isVertical() const { return orientation_ == 1; }

 private:
  int xOffset_;
  int yOffset_;
  int orientation_;
};

// An image cut back by value: at value 1 it shows whole, at 0 nothing; the edge flags say
// which edges move (1 left, 2 top, 4 right, 8 bottom; 0 means top) and the crop mode how:
// 1 slides the whole image out, 2 cuts it, anything else shows the matching part of the
// image without squeezing it (the level meters).
class CAUGuiCroppingImage : public CAUGuiGraphic {
 public:
  static constexpr int kLeft = 1, kTop = 2, kRight = 4, kBottom = 8;
  static constexpr int kSlide = 1, kCrop = 2;

  CAUGuiCroppingImage(const ImageSource& source, int xOffset, int yOffset, int edges, int cropMode);

  void draw(DrawContext& context, int flags, const GuiRect& dest, float value) override;

 private:
  int xOffset_;
  int yOffset_;
  int edges_;
  int mode_;
};

// Angle and pivot data for a rotating image. Nothing in the editor draws with them: a knob
// given a spin image draws nothing for its handle.
class CAUGuiSpinImage : public CAUGuiGraphic {
 public:
  CAUGuiSpinImage(const ImageSource& source, float startTurns, float sweepTurns, float pivotDx, float pivotDy,
                  uint8_t flag);

  void draw(DrawContext& context, int flags, const GuiRect& dest, float value) override;
  // Drawing about the pivot, offset by (dx, dy); draws nothing either.
  virtual void drawAtPivot(DrawContext& context, int flags, const GuiRect& dest, float value, int dx, int dy);

  float startAngle() const { return startAngle_; }
  float endAngle() const { return endAngle_; }
  float pivotX() const { return pivotX_; }
  float pivotY() const { return pivotY_; }

 private:
  float startAngle_;
  float endAngle_;
  float pivotX_;
  float pivotY_;
  uint8_t flag_;
};

// The geometry the images draw with, apart from any bitmap so tests can check it.

// The frame of `frames` stacked frames that shows `value`: truncate((frames - 1) * value),
// limited to 0..frames - 1; a value that is not a number shows frame 0.
int frameForValue(int frames, float value);

// Where a handle of imageWidth x frameHeight pixels goes for `value` on a control.
// Vertical: as wide as the control, its height scaled with it, its centre
// truncate((1 - value) * control height) below the control's top. Horizontal: as high as
// the control, its width scaled with it, its centre truncate(control width * value) right of
// the control's left edge. Offsets move it (x offset left for vertical, right for
// horizontal; y offset up). Without an image the control rectangle itself.
GuiRect handlePlacement(const GuiRect& control, float value, int imageWidth, int frameHeight, int xOffset,
                        int yOffset, bool vertical);

// How a cropping image draws for `value`: onto `dest` from `source` of the image, stretched
// when `stretch`, else 1:1 from source's origin. False when nothing is to be drawn.
struct CropBlit {
  GuiRect dest;
  GuiRect source;
  bool stretch = false;
};
bool cropPlacement(const GuiRect& dest, float value, int imageWidth, int frameHeight, int xOffset, int yOffset,
                   int edges, int mode, CropBlit& out);
