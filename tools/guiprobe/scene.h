// The primitive-pictures scene: fills, lines of the three widths the toolkit uses, text
// left, centred, right and word-wrapped, an image blended at constant alpha 255 and 70 and
// stretched, and a fill clipped to two rectangles. Drawn through the platform surface only,
// so that the headless and the Windows builds draw the same picture.
#pragma once

#include <memory>

#include "platform/gui.h"

namespace guiprobe {

constexpr int kSceneWidth = 320;
constexpr int kSceneHeight = 240;

// A 40 x 40 image: an opaque orange square with a half-transparent white border and a fully
// transparent corner, premultiplied as a decoded PNG would be.
inline std::unique_ptr<platform::Bitmap> makeSceneImage() {
  auto image = platform::Bitmap::create(40, 40);
  if (!image) return nullptr;
  for (int y = 0; y < 40; ++y) {
    std::uint8_t* row = image->row(y);
    for (int x = 0; x < 40; ++x) {
      std::uint8_t* p = row + x * 4;  // blue, green, red, alpha
      if (x < 10 && y < 10) {
        p[0] = p[1] = p[2] = p[3] = 0;
      } else if (x < 4 || y < 4 || x >= 36 || y >= 36) {
        p[0] = p[1] = p[2] = 128;
        p[3] = 128;
      } else {
        p[0] = 0x20;
        p[1] = 0x80;
        p[2] = 0xF0;
        p[3] = 0xFF;
      }
    }
  }
  return image;
}

inline void drawScene(platform::Surface& s, const platform::Bitmap& image) {
  using platform::Point;
  namespace text = platform::text;
  s.fillRect({0, 0, kSceneWidth, kSceneHeight}, 0x203040);
  s.fillRect({8, 8, 60, 30}, 0xCC3333);
  s.fillRect({72, 8, 60, 30}, 0x19E619);
  s.fillRect({136, 8, 60, 30}, 0x969696);

  s.drawLine({8, 50}, {196, 50}, 2, 0xFFFFFF);
  s.drawLine({8, 60}, {196, 70}, 3, 0x8C8C8C);
  s.drawLine({8, 84}, {196, 84}, 6, 0x787878);
  const Point sag[] = {{210, 20}, {230, 60}, {250, 80}, {270, 84}, {290, 70}, {310, 30}};
  s.drawPolyline(sag, sizeof sag / sizeof sag[0], 6, 0xA0A0A0);

  const platform::Font helvetica{"Helvetica", 14, 400};
  const unsigned line = text::kSingleLine | text::kVCenter | text::kNoPrefix;
  s.fillRect({8, 96, 300, 20}, 0x404040);
  s.drawText("Left", {8, 96, 300, 20}, helvetica, 0xFFFFFF, line);
  s.drawText("Centre", {8, 96, 300, 20}, helvetica, 0x66FF66, line | text::kCenter);
  s.drawText("Right", {8, 96, 300, 20}, helvetica, 0xFFFFFF, line | text::kRight);
  const platform::Font arial{"Arial", 12, 400};
  s.drawText("A patch cord joins two jacks; the panel wraps these words onto lines.", {8, 122, 150, 60}, arial,
             0xFFFFFF, text::kWordBreak | text::kNoPrefix);

  s.blend(image, {0, 0, 40, 40}, {170, 124, 40, 40}, 255);
  s.blend(image, {0, 0, 40, 40}, {216, 124, 40, 40}, 70);
  s.blend(image, {0, 0, 40, 40}, {262, 124, 50, 60}, 255);

  platform::Region clip;
  clip.add({8, 190, 60, 40});
  clip.add({48, 200, 90, 20});
  s.setClip(clip);
  s.fillRect({0, 180, kSceneWidth, 60}, 0xE0C020);
  s.clearClip();
  s.fillRect({150, 196, 20, 20}, 0xFFFFFF);
}

}  // namespace guiprobe
