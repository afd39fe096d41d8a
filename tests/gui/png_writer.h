// Writes small PNG files into memory with libpng, so image tests and benchmarks make their
// own pictures in every colour type, bit depth and interlace method.
#pragma once

#include <png.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace testpng {

struct Encoding {
  int colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  int bitDepth = 8;
  bool interlaced = false;
};

struct Rgba {
  uint8_t r, g, b, a;
};

// Raw PNG rows (in the layout the encoding asks for) plus palette and transparency data.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::vector<uint8_t>> rows;
  std::vector<png_color> palette;
  std::vector<uint8_t> paletteAlpha;
};

inline std::vector<uint8_t> encode(const Encoding& e, const Picture& p) {
  std::vector<uint8_t> bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng could not write the test picture");
  }
  png_set_write_fn(
      png, &bytes,
      [](png_structp s, png_bytep data, png_size_t n) {
        auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(s));
        out->insert(out->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, p.width, p.height, e.bitDepth, e.colourType,
               e.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
  if (!p.paletteAlpha.empty())
    png_set_tRNS(png, info, p.paletteAlpha.data(), static_cast<int>(p.paletteAlpha.size()), nullptr);
  png_write_info(png, info);
  std::vector<png_bytep> rows;
  for (auto& r : const_cast<Picture&>(p).rows) rows.push_back(r.data());
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

// Packs sample values of `bits` bits each, most significant first, as PNG rows hold them.
inline std::vector<uint8_t> packSamples(const std::vector<unsigned>& samples, int bits) {
  if (bits == 8) return std::vector<uint8_t>(samples.begin(), samples.end());
  if (bits == 16) {
    std::vector<uint8_t> out;
    for (unsigned s : samples) {
      out.push_back(static_cast<uint8_t>(s >> 8));
      out.push_back(static_cast<uint8_t>(s & 0xFF));
    }
    return out;
  }
  std::vector<uint8_t> out((samples.size() * bits + 7) / 8, 0);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const std::size_t bit = i * bits;
    out[bit / 8] |= static_cast<uint8_t>(samples[i] << (8 - bits - bit % 8));
  }
  return out;
}

// A picture of `width` x `height` pixels whose pixel (x, y) is inks[ink(x, y)], written in
// the given encoding. Grey encodings take each ink's red as the grey level; palette
// encodings list the inks in order (with their alphas when any ink is not opaque);
// 16-bit encodings put each 8-bit level in the high byte and noise in the low byte.
template <typename InkOf>
Picture makePicture(const Encoding& e, int width, int height, const std::vector<Rgba>& inks, InkOf ink) {
  Picture p;
  p.width = width;
  p.height = height;
  bool translucent = false;
  for (const Rgba& c : inks) translucent |= c.a != 255;
  if (e.colourType == PNG_COLOR_TYPE_PALETTE) {
    for (const Rgba& c : inks) {
      p.palette.push_back(png_color{c.r, c.g, c.b});
      p.paletteAlpha.push_back(c.a);
    }
    if (!translucent) p.paletteAlpha.clear();
  }
  for (int y = 0; y < height; ++y) {
    std::vector<unsigned> samples;
    for (int x = 0; x < width; ++x) {
      const unsigned i = static_cast<unsigned>(ink(x, y));
      const Rgba& c = inks[i];
      auto level = [&](uint8_t v) { return e.bitDepth == 16 ? (v << 8) | ((x * 37 + y * 11) & 0xFF) : v; };
      switch (e.colourType) {
        case PNG_COLOR_TYPE_PALETTE: samples.push_back(i); break;
        case PNG_COLOR_TYPE_GRAY: samples.push_back(level(c.r)); break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
          samples.push_back(level(c.r));
          samples.push_back(level(c.a));
          break;
        case PNG_COLOR_TYPE_RGB:
          for (uint8_t v : {c.r, c.g, c.b}) samples.push_back(level(v));
          break;
        default:
          for (uint8_t v : {c.r, c.g, c.b, c.a}) samples.push_back(level(v));
          break;
      }
    }
    p.rows.push_back(packSamples(samples, e.bitDepth));
  }
  return p;
}

// An 8-bit RGBA PNG whose pixel (x, y) is colourAt(x, y), a word 0xAARRGGBB (straight alpha).
template <typename ColourAt>
std::vector<uint8_t> encodeColours(int width, int height, ColourAt colourAt) {
  Picture p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colourAt(x, y);
      for (int shift : {16, 8, 0, 24}) row.push_back(static_cast<uint8_t>(c >> shift));
    }
    p.rows.push_back(std::move(row));
  }
  return encode({PNG_COLOR_TYPE_RGB_ALPHA, 8, false}, p);
}

}  // namespace testpng
