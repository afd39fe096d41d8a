#include "gui/png_decode.h"

#include <png.h>

#include <cstring>

namespace {

struct MemoryReader {
  const unsigned char* data;
  std::size_t size;
  std::size_t pos;
};

// libpng asks for exact byte counts; a request past the end of the image is an error, so
// a cut-short image never decodes whatever the buffer held before.
void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->size - reader->pos) png_error(png, "image data ends early");
  std::memcpy(out, reader->data + reader->pos, count);
  reader->pos += count;
}

// Errors end decoding through libpng's jump buffer, without printing.
[[noreturn]] void onPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onPngWarning(png_structp, png_const_charp) {}

// The part of decoding that libpng may leave by a long jump. It keeps no C++ object of its
// own: everything it fills lives in the caller's `out`, and nothing it sets before the
// setjmp is changed afterwards.
bool readImage(png_structp png, png_infop info, MemoryReader* reader, DecodedImage* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, reader, readFromMemory);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
  if (width == 0 || height == 0 || width > kMaxPngSide || height > kMaxPngSide) return false;

  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(png);
  } else if ((colourType & PNG_COLOR_MASK_ALPHA) == 0) {
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  }
  if (depth == 16) png_set_strip_16(png);
  png_set_packing(png);
  png_set_bgr(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const std::size_t rowBytes = png_get_rowbytes(png, info);
  if (rowBytes != std::size_t{width} * 4) return false;

  out->width = static_cast<int>(width);
  out->height = static_cast<int>(height);
  out->pixels.assign(std::size_t{width} * height, 0);
  auto* base = reinterpret_cast<png_bytep>(out->pixels.data());
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, base + y * rowBytes, nullptr);
  }
  png_read_end(png, nullptr);
  return true;
}

void premultiplyPixels(DecodedImage& image) {
  for (uint32_t& p : image.pixels) {
    auto* b = reinterpret_cast<uint8_t*>(&p);  // blue, green, red, alpha
    const unsigned a = b[3];
    if (a == 255) continue;
    b[0] = premultiply(b[0], a);
    b[1] = premultiply(b[1], a);
    b[2] = premultiply(b[2], a);
  }
}

}  // namespace

bool decodePng(const unsigned char* data, std::size_t size, DecodedImage& out) {
  out = DecodedImage{};
  if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  MemoryReader reader{data, size, 0};
  const bool ok = readImage(png, info, &reader, &out);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) {
    out = DecodedImage{};
    return false;
  }
  premultiplyPixels(out);
  return true;
}

const char* pngLibraryVersion() { return PNG_LIBPNG_VER_STRING; }
