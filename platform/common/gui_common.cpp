// The parts of the GUI services that are the same on every platform.
#include <algorithm>
#include <cstring>

#include "platform/gui.h"

namespace platform {

Rect Region::bounds() const {
  if (rects_.empty()) return {};
  int left = rects_.front().x, top = rects_.front().y;
  int right = left + rects_.front().w, bottom = top + rects_.front().h;
  for (const Rect& r : rects_) {
    left = std::min(left, r.x);
    top = std::min(top, r.y);
    right = std::max(right, r.x + r.w);
    bottom = std::max(bottom, r.y + r.h);
  }
  return {left, top, right - left, bottom - top};
}

std::uint32_t Bitmap::pixel(int x, int y) const {
  std::uint32_t value = 0;
  if (x < 0 || y < 0 || x >= width() || y >= height()) return 0;
  std::memcpy(&value, row(y) + static_cast<std::size_t>(x) * 4, 4);
  return value;
}

}  // namespace platform
