// PNG decoding for the editor's images: libpng reads an image from memory and leaves it as
// 32-bit pixels with premultiplied alpha, the layout every bitmap of the toolkit uses
// (bytes blue, green, red, alpha in memory; a 32-bit word reads 0xAARRGGBB).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One decoded image, rows from the top, width words per row.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// Decodes a whole PNG held in memory. Every colour type and bit depth comes out as 8-bit
// premultiplied BGRA: palettes are expanded (a transparency chunk becomes alpha), grey is
// turned into RGB, 16-bit channels are stripped to 8 bits, interlaced images are
// de-interlaced, and an image without alpha gets alpha 255. Returns false, with `out` empty,
// for data that is not a PNG, is cut short or is corrupt; nothing is printed.
bool decodePng(const unsigned char* data, std::size_t size, DecodedImage& out);

// Premultiplies one colour byte by an alpha byte, rounded to nearest, so that an opaque
// pixel keeps its colour and a fully transparent one becomes 0.
constexpr uint8_t premultiply(unsigned colour, unsigned alpha) {
  return static_cast<uint8_t>((colour * alpha + 127) / 255);
}

// The libpng version the decoder was built against.
const char* pngLibraryVersion();

// The largest width and height the decoder accepts; larger images are refused before any
// pixel memory is taken.
inline constexpr int kMaxPngSide = 8192;
