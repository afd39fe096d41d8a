// Points, rectangles and colours of the GUI toolkit. Points are signed 16-bit editor client
// coordinates; rectangles are {x, y, w, h}; colours are written 0xRRGGBB.
#pragma once

#include <algorithm>
#include <cstdint>

struct GuiPoint {
  int16_t x = 0;
  int16_t y = 0;
  friend bool operator==(const GuiPoint&, const GuiPoint&) = default;
};

struct GuiRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t w = 0;
  int32_t h = 0;

  int32_t right() const { return x + w; }
  int32_t bottom() const { return y + h; }
  bool empty() const { return w <= 0 || h <= 0; }
  // Half-open: x <= px < x + w, y <= py < y + h.
  bool contains(GuiPoint p) const { return p.x >= x && p.x < x + w && p.y >= y && p.y < y + h; }
  // True when the two rectangles share at least one pixel.
  bool meets(const GuiRect& o) const {
    return !empty() && !o.empty() && x < o.right() && o.x < right() && y < o.bottom() && o.y < bottom();
  }
  friend bool operator==(const GuiRect&, const GuiRect&) = default;
};

// The common part of two rectangles; {0, 0, 0, 0} when they do not meet.
inline GuiRect intersect(const GuiRect& a, const GuiRect& b) {
  if (!a.meets(b)) return {};
  const int32_t l = std::max(a.x, b.x), t = std::max(a.y, b.y);
  return {l, t, std::min(a.right(), b.right()) - l, std::min(a.bottom(), b.bottom()) - t};
}

// A colour as 0xRRGGBB.
using GuiColour = uint32_t;

// A type tag: four characters, the first in the most significant byte.
constexpr uint32_t guiTypeTag(const char (&text)[5]) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
         static_cast<uint32_t>(static_cast<unsigned char>(text[3]));
}
