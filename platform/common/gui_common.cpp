// The parts of the GUI services that are the same on every platform.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/gui.h"
#include "platform/host_frame.h"

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

namespace {
void put16(std::FILE* f, unsigned v) {
  std::fputc(static_cast<int>(v & 0xFF), f);
  std::fputc(static_cast<int>((v >> 8) & 0xFF), f);
}
void put32(std::FILE* f, std::uint32_t v) {
  put16(f, v & 0xFFFF);
  put16(f, v >> 16);
}
}  // namespace

bool writeBmp(const Bitmap& bitmap, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const std::uint32_t w = static_cast<std::uint32_t>(bitmap.width());
  const std::uint32_t h = static_cast<std::uint32_t>(bitmap.height());
  const std::uint32_t pixels = w * h * 4;
  put16(f, 0x4D42);  // "BM"
  put32(f, 14 + 40 + pixels);
  put32(f, 0);
  put32(f, 14 + 40);
  put32(f, 40);
  put32(f, w);
  put32(f, static_cast<std::uint32_t>(-static_cast<std::int32_t>(h)));  // rows from the top
  put16(f, 1);
  put16(f, 32);
  for (int i = 0; i < 6; ++i) put32(f, 0);  // uncompressed, sizes and palette unused
  bool ok = true;
  for (std::uint32_t y = 0; y < h && ok; ++y) ok = std::fwrite(bitmap.row(static_cast<int>(y)), 4, w, f) == w;
  return std::fclose(f) == 0 && ok;
}

}  // namespace platform
