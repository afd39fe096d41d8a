#include <cairo.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "tools/artgen/art.h"

namespace art {

namespace {

using panel::Rect;

// An image as a cairo surface (premultiplied).
cairo_surface_t* toSurface(const Image& img) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, img.width, img.height);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < img.height; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < img.width; ++x) {
      const uint8_t* p = &img.rgba[(static_cast<size_t>(y) * img.width + x) * 4];
      unsigned a = p[3];
      auto pm = [a](unsigned c) { return (c * a + 127) / 255; };
      row[x] = (a << 24) | (pm(p[0]) << 16) | (pm(p[1]) << 8) | pm(p[2]);
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

struct Composer {
  cairo_t* cr;
  std::vector<cairo_surface_t*> surfaces;

  int index(const char* name) const {
    for (size_t i = 0; i < panel::kImageCount; ++i)
      if (std::strcmp(panel::kImages[i].name, name) == 0) return static_cast<int>(i);
    throw std::invalid_argument(name);
  }
  // Blends the source rectangle of an image onto the destination, stretched.
  void blit(const char* name, Rect src, Rect dst) {
    int i = index(name);
    cairo_save(cr);
    cairo_rectangle(cr, dst.x, dst.y, dst.w, dst.h);
    cairo_clip(cr);
    cairo_translate(cr, dst.x, dst.y);
    cairo_scale(cr, double(dst.w) / src.w, double(dst.h) / src.h);
    cairo_set_source_surface(cr, surfaces[i], -src.x, -src.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
  }
  // A frame chosen by value: frame truncate((n - 1) x value).
  void frame(const char* name, Rect dst, float value) {
    const panel::ImageSpec& s = panel::kImages[index(name)];
    int k = static_cast<int>((s.frames - 1) * value);
    blit(name, {0, k * s.frameHeight(), s.width, s.frameHeight()}, dst);
  }
  // A handle placed along its control's image rectangle.
  void handle(const char* name, Rect r, bool vertical, float value) {
    const panel::ImageSpec& s = panel::kImages[index(name)];
    Rect h = r;
    if (vertical) {
      h.h = r.w * s.frameHeight() / s.width;
      h.y += static_cast<int>((1 - value) * r.h) - h.h / 2;
    } else {
      h.w = r.h * s.width / s.frameHeight();
      h.x += static_cast<int>(r.w * value) - h.w / 2;
    }
    blit(name, {0, 0, h.w, h.h}, h);
  }
};

}  // namespace

Image composePanel(const std::vector<Image>& images, float (*valueOf)(int param)) {
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, panel::kPanelWidth, panel::kPanelHeight);
  Composer c{cairo_create(out), {}};
  for (const Image& i : images) c.surfaces.push_back(toSurface(i));
  c.blit("Stereo-Stereo-Board1.2.0.png", {0, 0, panel::kBoardWidth, panel::kBoardHeight},
         {0, 0, panel::kBoardWidth, panel::kBoardHeight});
  for (size_t i = 0; i < panel::kFixedControlCount; ++i) {
    const panel::FixedControl& f = panel::kFixedControls[i];
    if (f.kind == panel::FixedKind::Button) {
      // At rest a momentary button shows its released (bottom) frame, a toggle its off frame.
      c.frame(f.image, f.rect, f.mode == 4 ? 0.0f : 1.0f);
    } else if (f.kind == panel::FixedKind::Meter) {
      c.blit(f.image2, {0, 0, 328, 24}, f.rect);
      float level = f.id == 2 ? 0.18f : f.id == 0 ? 0.62f : 0.55f;
      int w = f.rect.w - static_cast<int>(f.rect.w * (1 - level));
      c.blit(f.image, {0, 0, static_cast<int>(double(w) / f.rect.w * 328), 24}, {f.rect.x, f.rect.y, w, f.rect.h});
    } else if (f.kind == panel::FixedKind::MidiLight) {
      c.frame(f.image, f.rect, 1.0f);
    }
  }
  for (size_t i = 0; i < panel::kBoundControlCount; ++i) {
    const panel::BoundControl& b = panel::kBoundControls[i];
    Rect r = b.insets.apply(b.rect);
    float v = valueOf(b.param);
    switch (b.kind) {
      case panel::BoundKind::VerticalSlider: c.handle(b.image, r, true, v); break;
      case panel::BoundKind::HorizontalSlider: c.handle(b.image, r, false, v); break;
      case panel::BoundKind::Switch:
        c.handle(b.image, r, b.rect.h > b.rect.w, v != 0 ? 1.0f : 0.0f);
        break;
      case panel::BoundKind::LightButton: c.frame(b.image, r, v != 0 ? 1.0f : 0.0f); break;
      case panel::BoundKind::Knob:
        if (b.imageIsBackground) {
          c.frame(b.image, b.rect, 0.0f);
          // The pointer line: 3 pixels wide, light grey, near the rim.
          double a = v * 1.5 * 3.14159265358979 + 0.25 * 3.14159265358979;
          int cx = b.rect.w / 2, cy = b.rect.h / 2;
          auto pt = [&](double rad, double& x, double& y) {
            x = std::trunc(b.rect.x - std::sin(a) * rad) + cx + 3 + 0.5;
            y = std::trunc(b.rect.y + std::cos(a) * rad) + cy + 3 + 0.5;
          };
          double x0, y0, x1, y1;
          pt(cy - 2, x0, y0);
          pt(cy - 5, x1, y1);
          cairo_set_line_width(c.cr, 3);
          cairo_set_source_rgb(c.cr, 0xC8 / 255.0, 0xC8 / 255.0, 0xC8 / 255.0);
          cairo_move_to(c.cr, x0, y0);
          cairo_line_to(c.cr, x1, y1);
          cairo_stroke(c.cr);
        } else {
          c.frame(b.image, r, v);
        }
        break;
    }
  }
  cairo_destroy(c.cr);
  for (cairo_surface_t* s : c.surfaces) cairo_surface_destroy(s);
  cairo_surface_flush(out);
  Image img;
  img.name = "panel";
  img.width = panel::kPanelWidth;
  img.height = panel::kPanelHeight;
  img.rgba.resize(static_cast<size_t>(img.width) * img.height * 4);
  const unsigned char* data = cairo_image_surface_get_data(out);
  int stride = cairo_image_surface_get_stride(out);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
      uint8_t* o = &img.rgba[(static_cast<size_t>(y) * img.width + x) * 4];
      o[0] = (p >> 16) & 255;
      o[1] = (p >> 8) & 255;
      o[2] = p & 255;
      o[3] = 255;
    }
  cairo_surface_destroy(out);
  return img;
}

}  // namespace art
