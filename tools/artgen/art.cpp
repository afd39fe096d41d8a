#include "tools/artgen/art.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>

namespace art {

using panel::Rect;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Fonts: Liberation Sans regular and bold, loaded from their files (no font lookup service).
struct Fonts {
  FT_Library library = nullptr;
  FT_Face regularFace = nullptr, boldFace = nullptr;
  cairo_font_face_t* regular = nullptr;
  cairo_font_face_t* bold = nullptr;
};
Fonts gFonts;

// The panel's palette: one light from the top left, warm ivory print on dark anthracite.
constexpr Colour kPrint{0.91, 0.89, 0.84};
constexpr Colour kPrintDim{0.62, 0.61, 0.58};
constexpr Colour kPanelTop{0.180, 0.192, 0.208}, kPanelBottom{0.133, 0.141, 0.153};
constexpr Colour kPlateTop{0.235, 0.247, 0.266}, kPlateBottom{0.196, 0.206, 0.222};
constexpr Colour kDisplay{0.055, 0.065, 0.062};
constexpr Colour kAmberLit{1.0, 0.70, 0.30};
constexpr Colour kCyanLit{0.40, 0.80, 0.90};
constexpr Colour kGreenLit{0.40, 1.0, 0.40};

void setColour(cairo_t* cr, Colour c, double a = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, a); }

void roundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min(r, std::min(w, h) / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
  cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
  cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

void verticalGradient(cairo_t* cr, double y0, double y1, Colour top, Colour bottom, double a = 1.0) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, a);
  cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, a);
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
}

Colour mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Colour scale(Colour c, double f) { return {c.r * f, c.g * f, c.b * f}; }

// A soft shadow below and right of a rounded rectangle: a few widening translucent layers.
void softShadow(cairo_t* cr, double x, double y, double w, double h, double r, double dx, double dy,
                double strength) {
  for (int i = 3; i >= 1; --i) {
    double g = i * 0.7;
    roundRect(cr, x + dx - g, y + dy - g, w + 2 * g, h + 2 * g, r + g);
    cairo_set_source_rgba(cr, 0, 0, 0, strength / (i + 1));
    cairo_fill(cr);
  }
}

// A bevel around a rectangle: light on the top and left edges, dark on the bottom and right.
void bevel(cairo_t* cr, double x, double y, double w, double h, double r, double light, double dark,
           bool raised = true) {
  cairo_save(cr);
  cairo_set_line_width(cr, 1.0);
  // The top-left half, then the bottom-right half, each clipped by the diagonal; the corner
  // of the clip is the top-right or the bottom-left of the box.
  for (int half = 0; half < 2; ++half) {
    bool lit = (half == 0) == raised;
    double grey = lit ? 1.0 : 0.0, alpha = lit ? light : dark;
    cairo_save(cr);
    cairo_move_to(cr, x - 1, y + h + 1);
    if (half == 0) cairo_line_to(cr, x - 1, y - 1);
    else cairo_line_to(cr, x + w + 1, y + h + 1);
    cairo_line_to(cr, x + w + 1, y - 1);
    cairo_line_to(cr, x + w - h / 2, y + h / 2);
    cairo_close_path(cr);
    cairo_clip(cr);
    roundRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, r);
    cairo_set_source_rgba(cr, grey, grey, grey, alpha);
    cairo_stroke(cr);
    cairo_restore(cr);
  }
  cairo_restore(cr);
}

// A recessed window (displays, meters): dark fill with an inner shadow on top and left.
void recess(cairo_t* cr, double x, double y, double w, double h, double r, Colour fill = kDisplay) {
  roundRect(cr, x, y, w, h, r);
  setColour(cr, fill);
  cairo_fill(cr);
  cairo_save(cr);
  roundRect(cr, x, y, w, h, r);
  cairo_clip(cr);
  cairo_set_line_width(cr, 2.0);
  cairo_move_to(cr, x, y + h);
  cairo_line_to(cr, x, y);
  cairo_line_to(cr, x + w, y);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
  cairo_stroke(cr);
  cairo_restore(cr);
  bevel(cr, x - 1, y - 1, w + 2, h + 2, r + 1, 0.0, 0.0);
  // Lit lower and right rims: the edge of the cut-out catches the light.
  cairo_save(cr);
  cairo_set_line_width(cr, 1.0);
  cairo_move_to(cr, x + 1, y + h + 0.5);
  cairo_line_to(cr, x + w + 0.5, y + h + 0.5);
  cairo_line_to(cr, x + w + 0.5, y + 1);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.10);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// ---- Text -----------------------------------------------------------------------------

struct TextStyle {
  double size = kLabelSize;
  bool bold = true;
  Colour colour = kPrint;
  double alpha = 1.0;
  double tracking = 0.0;  // extra pixels between letters
};

// Sets the font; returns the horizontal condensing that fits the text into maxWidth.
double prepareFont(cairo_t* cr, const std::string& text, const TextStyle& st, double maxWidth,
                   double& width) {
  cairo_set_font_face(cr, st.bold ? gFonts.bold : gFonts.regular);
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, o);
  cairo_font_options_destroy(o);
  cairo_set_font_size(cr, st.size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  double w = e.x_advance + st.tracking * (text.size() > 0 ? text.size() - 1 : 0);
  double squeeze = 1.0;
  if (maxWidth > 0 && w > maxWidth) squeeze = maxWidth / w;
  width = w * squeeze;
  return squeeze;
}

// Draws text with its baseline at y; x is its left, centre or right by the alignment.
void drawText(cairo_t* cr, const std::string& text, double x, double y, Align a, const TextStyle& st,
              double maxWidth = 0) {
  double width = 0;
  double squeeze = prepareFont(cr, text, st, maxWidth, width);
  double left = a == Align::Left ? x : a == Align::Centre ? x - width / 2 : x - width;
  cairo_save(cr);
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, st.size * squeeze, st.size);
  cairo_set_font_matrix(cr, &m);
  setColour(cr, st.colour, st.alpha);
  if (st.tracking == 0.0) {
    cairo_move_to(cr, left, y);
    cairo_show_text(cr, text.c_str());
  } else {
    double pen = left;
    for (char ch : text) {
      char s[2] = {ch, 0};
      cairo_move_to(cr, pen, y);
      cairo_show_text(cr, s);
      cairo_text_extents_t e;
      cairo_text_extents(cr, s, &e);
      pen += e.x_advance + st.tracking * squeeze;
    }
  }
  cairo_restore(cr);
}

// A label's style: titles bold in the section's accent, labels bold in ivory (one weight on
// the whole board). A title too wide for its section first loses its letter spacing and a
// pixel; only then is text condensed.
TextStyle labelStyle(cairo_t* cr, const Label& l) {
  std::vector<TextStyle> tries(l.title ? 2 : 1);
  if (l.title) {
    for (TextStyle& st : tries) st.colour = sections()[l.section].accent;
    tries[0].size = kTitleSize;
    tries[0].tracking = 0.6;
    tries[1].size = kLabelSize;
  }
  for (const TextStyle& st : tries) {
    double width = 0;
    prepareFont(cr, l.text, st, 0, width);
    if (l.maxWidth <= 0 || width <= l.maxWidth) return st;
  }
  return tries.back();
}

// ---- Canvas ---------------------------------------------------------------------------

struct Canvas {
  cairo_surface_t* surface;
  cairo_t* cr;
  Canvas(int w, int h) {
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cr = cairo_create(surface);
  }
  ~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  Image take(const std::string& name) {
    cairo_surface_flush(surface);
    Image img;
    img.name = name;
    img.width = cairo_image_surface_get_width(surface);
    img.height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    img.rgba.resize(static_cast<size_t>(img.width) * img.height * 4);
    for (int y = 0; y < img.height; ++y) {
      const uint32_t* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < img.width; ++x) {
        uint32_t p = row[x];
        unsigned a = p >> 24, r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
        uint8_t* o = &img.rgba[(static_cast<size_t>(y) * img.width + x) * 4];
        auto un = [a](unsigned c) -> uint8_t {
          if (a == 0) return 0;
          unsigned v = (c * 255 + a / 2) / a;
          return static_cast<uint8_t>(v > 255 ? 255 : v);
        };
        o[0] = un(r);
        o[1] = un(g);
        o[2] = un(b);
        o[3] = static_cast<uint8_t>(a);
      }
    }
    return img;
  }
};

// ---- Shared parts ---------------------------------------------------------------------

// A jack socket centred at (cx, cy): knurled nut, dark bore.
void socket(cairo_t* cr, double cx, double cy, bool gold = false) {
  cairo_arc(cr, cx + 0.8, cy + 1.1, 6.9, 0, 2 * kPi);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
  cairo_fill(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(cx - 6, cy - 6, cx + 6, cy + 6);
  Colour hi = gold ? Colour{1.0, 0.90, 0.55} : Colour{0.93, 0.93, 0.92};
  Colour lo = gold ? Colour{0.62, 0.46, 0.16} : Colour{0.55, 0.56, 0.58};
  cairo_pattern_add_color_stop_rgb(p, 0, hi.r, hi.g, hi.b);
  cairo_pattern_add_color_stop_rgb(p, 1, lo.r, lo.g, lo.b);
  // Hexagonal nut.
  for (int i = 0; i < 6; ++i) {
    double a = kPi / 6 + i * kPi / 3;
    double x = cx + 6.6 * std::cos(a), y = cy + 6.6 * std::sin(a);
    if (i == 0) cairo_move_to(cr, x, y); else cairo_line_to(cr, x, y);
  }
  cairo_close_path(cr);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
  cairo_set_line_width(cr, 0.6);
  cairo_stroke(cr);
  cairo_pattern_destroy(p);
  // Collar and bore.
  cairo_arc(cr, cx, cy, 4.3, 0, 2 * kPi);
  p = cairo_pattern_create_linear(cx - 4, cy - 4, cx + 4, cy + 4);
  cairo_pattern_add_color_stop_rgb(p, 0, lo.r * 0.8, lo.g * 0.8, lo.b * 0.8);
  cairo_pattern_add_color_stop_rgb(p, 1, hi.r, hi.g, hi.b);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_arc(cr, cx, cy, 3.0, 0, 2 * kPi);
  p = cairo_pattern_create_radial(cx + 0.8, cy + 0.8, 0.3, cx, cy, 3.0);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.0, 0.0, 0.0);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.12, 0.12, 0.13);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

// A line across a control's grip at `at` along its travel (y for vertical, x for horizontal),
// from `from` to `to` across it; the caller strokes.
void across(cairo_t* cr, bool vertical, double at, double from, double to) {
  if (vertical) {
    cairo_move_to(cr, from, at);
    cairo_line_to(cr, to, at);
  } else {
    cairo_move_to(cr, at, from);
    cairo_line_to(cr, at, to);
  }
}

// A fader cap centred in (w, h); horizontal: the cap's grip runs across a horizontal slot.
void faderCap(cairo_t* cr, double w, double h, bool vertical, Colour accent) {
  double bx, by, bw, bh;
  if (vertical) { bx = 1.5; by = 2.5; bw = w - 3.5; bh = h - 5; }
  else { bx = 2.5; by = 1.5; bw = w - 5; bh = h - 3.5; }
  softShadow(cr, bx, by, bw, bh, 2.5, 1.0, 1.5, 0.55);
  roundRect(cr, bx, by, bw, bh, 2.5);
  cairo_pattern_t* p = vertical ? cairo_pattern_create_linear(0, by, 0, by + bh)
                                : cairo_pattern_create_linear(bx, 0, bx + bw, 0);
  cairo_pattern_add_color_stop_rgb(p, 0.0, 0.43, 0.45, 0.48);
  cairo_pattern_add_color_stop_rgb(p, 0.45, 0.24, 0.25, 0.27);
  cairo_pattern_add_color_stop_rgb(p, 0.55, 0.17, 0.18, 0.19);
  cairo_pattern_add_color_stop_rgb(p, 1.0, 0.10, 0.10, 0.11);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  bevel(cr, bx, by, bw, bh, 2.5, 0.35, 0.6);
  // Grip ridges and the centre line that marks the value.
  const double mid = vertical ? h / 2 : w / 2;
  const double from = vertical ? bx : by, to = vertical ? bx + bw : by + bh;
  cairo_set_line_width(cr, 1.0);
  for (int i : {-2, -1, 1, 2}) across(cr, vertical, mid + i * 2.5, from + 2, to - 2);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 1.4);
  across(cr, vertical, mid, from + 1.5, to - 1.5);
  setColour(cr, accent);
  cairo_stroke(cr);
}

// A chrome toggle lever from (x0, y0) to the tip at (x1, y1).
void lever(cairo_t* cr, double x0, double y0, double x1, double y1, double width) {
  const double len = std::hypot(x1 - x0, y1 - y0), angle = std::atan2(y1 - y0, x1 - x0);
  // The tapered bat along the x axis, from its root to its rounded tip.
  auto path = [&]() {
    cairo_move_to(cr, 0, -width * 0.35);
    cairo_line_to(cr, len - width / 2, -width / 2);
    cairo_arc(cr, len - width / 2, 0, width / 2, -kPi / 2, kPi / 2);
    cairo_line_to(cr, 0, width * 0.35);
    cairo_close_path(cr);
  };
  cairo_save(cr);
  cairo_translate(cr, x0 + 0.8, y0 + 1.0);
  cairo_rotate(cr, angle);
  path();
  cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_save(cr);
  cairo_translate(cr, x0, y0);
  cairo_rotate(cr, angle);
  path();
  cairo_pattern_t* p = cairo_pattern_create_linear(0, -width / 2, 0, width / 2);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.97, 0.97, 0.96);
  cairo_pattern_add_color_stop_rgb(p, 0.5, 0.62, 0.63, 0.65);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.82, 0.83, 0.84);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
  cairo_set_line_width(cr, 0.5);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// A two-frame push button face (pressed frame on top) with centred text.
void pushButton(cairo_t* cr, double w, double h, int frame, bool pressed, const std::string& text,
                double textSize, double radius) {
  double y0 = frame * h;
  double x = 0.5, y = y0 + 0.5, bw = w - 1.5, bh = h - 1.5;
  if (!pressed) softShadow(cr, x, y, bw, bh, radius, 0.6, 0.8, 0.4);
  roundRect(cr, x, y, bw, bh, radius);
  if (pressed) verticalGradient(cr, y, y + bh, {0.13, 0.14, 0.15}, {0.22, 0.23, 0.25});
  else verticalGradient(cr, y, y + bh, {0.36, 0.38, 0.41}, {0.19, 0.20, 0.22});
  cairo_fill(cr);
  bevel(cr, x, y, bw, bh, radius, pressed ? 0.05 : 0.30, pressed ? 0.7 : 0.6, !pressed);
  if (!text.empty()) {
    TextStyle st;
    st.size = textSize;
    st.colour = pressed ? kAmberLit : kPrint;
    double base = y + bh / 2 + textSize * 0.36 + (pressed ? 0.7 : 0.0);
    drawText(cr, text, w / 2 + (pressed ? 0.5 : 0.0), base, Align::Centre, st, w - 6);
  }
}

// An LED lens centred at (cx, cy).
void led(cairo_t* cr, double cx, double cy, double r, Colour c, bool lit) {
  // Chrome bezel.
  cairo_arc(cr, cx, cy, r + 2.2, 0, 2 * kPi);
  cairo_pattern_t* p = cairo_pattern_create_linear(cx - r, cy - r, cx + r, cy + r);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.85, 0.86, 0.87);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.25, 0.26, 0.28);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  p = cairo_pattern_create_radial(cx - r * 0.25, cy - r * 0.25, r * 0.1, cx, cy, r);
  Colour core = lit ? mix(c, {1, 1, 1}, 0.55) : scale(c, 0.35);
  Colour edge = lit ? c : scale(c, 0.16);
  cairo_pattern_add_color_stop_rgb(p, 0, core.r, core.g, core.b);
  cairo_pattern_add_color_stop_rgb(p, 1, edge.r, edge.g, edge.b);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  // Specular highlight.
  cairo_save(cr);
  cairo_translate(cr, cx - r * 0.32, cy - r * 0.4);
  cairo_scale(cr, r * 0.42, r * 0.26);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, lit ? 0.65 : 0.30);
  cairo_fill(cr);
}

// The brand plate: the logo image and the board under it.
void logoPlate(cairo_t* cr, double x, double y, double w, double h) {
  roundRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, 4);
  verticalGradient(cr, y, y + h, {0.10, 0.105, 0.115}, {0.045, 0.05, 0.055});
  cairo_fill(cr);
  bevel(cr, x + 0.5, y + 0.5, w - 1, h - 1, 4, 0.35, 0.8);
  // A soft sheen across the top half.
  roundRect(cr, x + 3, y + 3, w - 6, h * 0.42, 3);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y + 3, 0, y + 3 + h * 0.42);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.09);
  cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0.0);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  TextStyle name;
  name.size = h * 0.32;
  name.tracking = h * 0.02;
  drawText(cr, "QUORVANE", x + w * 0.06, y + h * 0.54, Align::Left, name, w * 0.62);
  TextStyle num;
  num.size = h * 0.30;
  num.colour = kAmberLit;
  drawText(cr, "3970", x + w * 0.94, y + h * 0.54, Align::Right, num, w * 0.24);
  cairo_rectangle(cr, x + w * 0.06, y + h * 0.64, w * 0.88, 1.2);
  setColour(cr, kAmberLit, 0.7);
  cairo_fill(cr);
  TextStyle maker;
  maker.size = std::max(9.0, h * 0.14);
  maker.colour = kPrintDim;
  maker.tracking = 1.6;
  drawText(cr, "HALVORSK", x + w * 0.06, y + h * 0.86, Align::Left, maker, w * 0.36);
  TextStyle kind = maker;
  kind.tracking = 0.3;
  kind.bold = false;
  drawText(cr, "SEMI-MODULAR SYNTHESIZER", x + w * 0.94, y + h * 0.86, Align::Right, kind, w * 0.5);
}

void drawNotesBox(cairo_t* cr, int w, int h) {
  roundRect(cr, 0, 0, w, h, 3);
  cairo_set_source_rgb(cr, 0.03, 0.05, 0.045);
  cairo_fill(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, w * 0.6, h);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.07);
  cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 1, 1, 0.0);
  roundRect(cr, 0, 0, w, h, 3);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  bevel(cr, 0, 0, w, h, 3, 0.1, 0.6, false);
  recess(cr, w - 25, 15, 10, h - 30, 2, {0.07, 0.08, 0.08});
}

// ---- The board ------------------------------------------------------------------------

void sectionPath(cairo_t* cr, const Section& s, double inset) {
  const Rect& a = s.rect;
  const Rect& e = s.extra;
  if (e.w == 0) {
    roundRect(cr, a.x + inset, a.y + inset, a.w - 2 * inset, a.h - 2 * inset, 5);
    return;
  }
  // L-shaped plates: the extra rectangle shares the main one's top (to its right) or sits
  // on top of it at its right end.
  double i = inset;
  std::vector<std::pair<double, double>> pts;
  if (e.x == a.right() && e.y == a.y) {
    pts = {{a.x + i, a.y + i}, {e.right() - i, e.y + i}, {e.right() - i, e.bottom() - i},
           {a.right() - i, e.bottom() - i}, {a.right() - i, a.bottom() - i}, {a.x + i, a.bottom() - i}};
  } else {
    pts = {{e.x + i, e.y + i}, {e.right() - i, e.y + i}, {a.right() - i, a.bottom() - i},
           {a.x + i, a.bottom() - i}, {a.x + i, a.y + i}, {e.x + i, a.y + i}};
  }
  cairo_new_sub_path(cr);
  for (size_t k = 0; k < pts.size(); ++k) {
    if (k == 0) cairo_move_to(cr, pts[k].first, pts[k].second);
    else cairo_line_to(cr, pts[k].first, pts[k].second);
  }
  cairo_close_path(cr);
}

// A brushed finish inside the current path: faint horizontal grain, lighter and darker
// streaks drawn from a fixed seed so every run draws the same.
void brushed(cairo_t* cr, double top, double bottom, uint32_t seed) {
  cairo_save(cr);
  cairo_clip_preserve(cr);
  cairo_set_line_width(cr, 1.0);
  for (int y = static_cast<int>(top); y < bottom; ++y) {
    seed = seed * 1664525u + 1013904223u;
    double v = ((seed >> 8) & 0xFFFF) / 65535.0;
    cairo_move_to(cr, 0, y + 0.5);
    cairo_line_to(cr, panel::kBoardWidth, y + 0.5);
    if (v > 0.5) cairo_set_source_rgba(cr, 1, 1, 1, (v - 0.5) * 0.045);
    else cairo_set_source_rgba(cr, 0, 0, 0, (0.5 - v) * 0.09);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

void drawSection(cairo_t* cr, const Section& s, bool inner) {
  const Rect& r = s.rect;
  double top = s.extra.w ? std::min(r.y, s.extra.y) : r.y;
  double bottom = s.extra.w ? std::max(r.bottom(), s.extra.bottom()) : r.bottom();
  sectionPath(cr, s, inner ? 2.5 : 1.0);
  if (inner) verticalGradient(cr, top, bottom, scale(kPlateTop, 0.86), scale(kPlateBottom, 0.86));
  else verticalGradient(cr, top, bottom, kPlateTop, kPlateBottom);
  cairo_fill_preserve(cr);
  brushed(cr, top, bottom, s.rect.x * 7919u + s.rect.y);
  cairo_new_path(cr);
  // Edges: a lit top-left rim, a dark bottom-right rim.
  cairo_save(cr);
  cairo_set_line_width(cr, 1.0);
  cairo_translate(cr, 0.5, 0.5);
  sectionPath(cr, s, inner ? 2.5 : 1.0);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
  cairo_stroke(cr);
  cairo_translate(cr, -1, -1);
  cairo_push_group(cr);
  sectionPath(cr, s, (inner ? 2.5 : 1.0) + 1);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.11);
  cairo_stroke(cr);
  cairo_pop_group_to_source(cr);
  cairo_paint(cr);
  cairo_restore(cr);
  if (s.title[0] == 0) return;
  // The accent stripe along the top edge.
  cairo_save(cr);
  sectionPath(cr, s, inner ? 2.5 : 1.0);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, top + (inner ? 2.5 : 1.0), 1010, 2);
  setColour(cr, s.accent, 0.85);
  cairo_fill(cr);
  cairo_restore(cr);
}

void slot(cairo_t* cr, double x0, double y0, double x1, double y1, double width) {
  // From one end's centre to the other's, with rounded ends.
  const double x = x0 - width / 2, y = y0 - width / 2;
  const double w = x1 - x0 + width, h = y1 - y0 + width;
  recess(cr, x - 1, y - 1, w + 2, h + 2, width / 2 + 1, {0.09, 0.095, 0.10});
  roundRect(cr, x, y, w, h, width / 2);
  cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
  cairo_fill(cr);
}

// Scale ticks beside a slider's travel: 11 marks, longer at 0, 5 and 10 (and at the centre
// of a bipolar control).
void sliderTicks(cairo_t* cr, const Rect& travel, bool vertical, double across) {
  cairo_set_line_width(cr, 1.0);
  for (int i = 0; i <= 10; ++i) {
    double t = i / 10.0;
    bool major = i % 5 == 0;
    double len = major ? 4.0 : 2.5;
    if (vertical) {
      double y = std::floor(travel.y + (1 - t) * travel.h) + 0.5;
      double cx = travel.x + travel.w / 2.0;
      for (int side : {-1, 1}) {
        cairo_move_to(cr, cx + side * across, y);
        cairo_line_to(cr, cx + side * (across + len), y);
      }
    } else {
      double x = std::floor(travel.x + t * travel.w) + 0.5;
      double cy = travel.y + travel.h / 2.0;
      for (int side : {-1, 1}) {
        cairo_move_to(cr, x, cy + side * across);
        cairo_line_to(cr, x, cy + side * (across + len));
      }
    }
    setColour(cr, kPrint, major ? 0.75 : 0.42);
    cairo_stroke(cr);
  }
}

void drawSlider(cairo_t* cr, const panel::BoundControl& c) {
  Rect travel = c.insets.apply(c.rect);  // handle centres run across this rectangle
  bool vertical = c.kind == panel::BoundKind::VerticalSlider;
  if (vertical) {
    double cx = c.rect.x + c.rect.w / 2.0;
    sliderTicks(cr, travel, true, 4.5);
    slot(cr, cx, travel.y - 2, cx, travel.bottom() + 2, 4);
  } else {
    double cy = c.rect.y + c.rect.h / 2.0;
    double across = c.rect.h < 20 ? 3.5 : 4.5;
    sliderTicks(cr, travel, false, across);
    slot(cr, travel.x - 2, cy, travel.right() + 2, cy, c.rect.h < 20 ? 3 : 4);
  }
}

// The base of a switch: a slot for a slide switch's actuator, or the bushing of a lever.
void switchBase(cairo_t* cr, const Rect& r, bool lever) {
  bool vertical = r.h > r.w;
  double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0;
  if (lever) {
    double w = vertical ? 9 : 18, h = vertical ? 18 : 9;
    roundRect(cr, cx - w / 2, cy - h / 2, w, h, 2);
    verticalGradient(cr, cy - h / 2, cy + h / 2, {0.50, 0.51, 0.53}, {0.22, 0.23, 0.25});
    cairo_fill(cr);
    bevel(cr, cx - w / 2, cy - h / 2, w, h, 2, 0.4, 0.6);
    cairo_arc(cr, cx, cy, 2.6, 0, 2 * kPi);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.06);
    cairo_fill(cr);
    return;
  }
  double w = vertical ? 7 : r.w - 2, h = vertical ? r.h - 2 : 7;
  recess(cr, cx - w / 2, cy - h / 2, w, h, 1.5, {0.02, 0.02, 0.025});
}

// A slide switch's actuator filling (w, h): a ridged metal block.
void slideActuator(cairo_t* cr, double w, double h) {
  bool vertical = h > w;
  double x = 0.5, y = 0.5, bw = w - 1, bh = h - 1;
  softShadow(cr, x, y, bw - 0.5, bh - 0.5, 1.5, 0.6, 0.9, 0.5);
  roundRect(cr, x, y, bw, bh, 1.5);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, w, h);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.92, 0.92, 0.91);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.45, 0.46, 0.48);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  bevel(cr, x, y, bw, bh, 1.5, 0.5, 0.55);
  cairo_set_line_width(cr, 1.0);
  for (int i = -1; i <= 1; ++i) across(cr, vertical, (vertical ? h : w) / 2 + i * 2.5, 2, (vertical ? w : h) - 2);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.4);
  cairo_stroke(cr);
}

// Ticks around a dial, at the angles its pointer takes (lower left through the top to
// lower right) about the point the pointer turns on.
void dialScale(cairo_t* cr, const panel::BoundControl& c, bool bipolar) {
  double cx = c.rect.x + c.rect.w / 2 + 3 + 0.5, cy = c.rect.y + c.rect.h / 2 + 3 + 0.5;
  cairo_set_line_width(cr, 1.0);
  for (int i = 0; i <= 10; ++i) {
    double f = i / 10.0;
    double a = f * 1.5 * kPi + 0.25 * kPi;
    double sx = -std::sin(a), sy = std::cos(a);
    bool major = i % 5 == 0;
    // A bipolar control's centre stands out.
    double r0 = 21.5, r1 = bipolar && i == 5 ? 27.0 : major ? 25.5 : 24.0;
    cairo_move_to(cr, cx + sx * r0, cy + sy * r0);
    cairo_line_to(cr, cx + sx * r1, cy + sy * r1);
    setColour(cr, kPrint, major ? 0.8 : 0.45);
    cairo_stroke(cr);
  }
}

void drawKeyboard(cairo_t* cr) {
  const Rect k = panel::kKeyboardRect;
  const double semitone = static_cast<double>(k.w) / (panel::kKeyboardHighKey - panel::kKeyboardLowKey);
  const double white = semitone * 12 / 7;
  const double whiteBottom = k.bottom() - panel::kKeyboardHoldStrip;
  const double rightEnd = 1006;
  // Key bed and the felt strip behind the keys.
  cairo_rectangle(cr, k.x - 1, k.y - 5, rightEnd - k.x + 2, k.h + 5);
  cairo_set_source_rgb(cr, 0.05, 0.05, 0.055);
  cairo_fill(cr);
  cairo_rectangle(cr, k.x - 1, k.y - 3, rightEnd - k.x + 2, 2.5);
  cairo_set_source_rgb(cr, 0.45, 0.08, 0.07);
  cairo_fill(cr);
  int whites = 0;
  for (int n = panel::kKeyboardLowKey; n <= panel::kKeyboardHighKey; ++n) {
    int pc = n % 12;
    if (pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10) continue;
    double x0 = k.x + whites * white, x1 = std::min(x0 + white, rightEnd);
    ++whites;
    double x = std::round(x0) + 0.5, w = std::round(x1) - std::round(x0) - 1.0;
    roundRect(cr, x, k.y, w, whiteBottom - k.y - 0.5, 1.5);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, k.y, 0, whiteBottom);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.86, 0.83, 0.75);
    cairo_pattern_add_color_stop_rgb(p, 0.12, 0.97, 0.95, 0.89);
    cairo_pattern_add_color_stop_rgb(p, 0.93, 0.93, 0.90, 0.82);
    cairo_pattern_add_color_stop_rgb(p, 0.94, 0.80, 0.77, 0.69);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.70, 0.67, 0.60);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // Left edge catches the light, right edge falls into shadow.
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, x + 0.5, k.y + 2);
    cairo_line_to(cr, x + 0.5, whiteBottom - 3);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.6);
    cairo_stroke(cr);
    cairo_move_to(cr, x + w - 0.5, k.y + 2);
    cairo_line_to(cr, x + w - 0.5, whiteBottom - 2);
    cairo_set_source_rgba(cr, 0.35, 0.32, 0.27, 0.5);
    cairo_stroke(cr);
  }
  // Black keys: shadow on the white keys, body, top face.
  for (int n = panel::kKeyboardLowKey; n <= panel::kKeyboardHighKey; ++n) {
    int pc = n % 12;
    if (!(pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10)) continue;
    double x = std::round(k.x + (n - panel::kKeyboardLowKey) * semitone) + 1.0;
    double w = 13, h = panel::kKeyboardUpperHeight;
    cairo_rectangle(cr, x + 2, k.y, w, h + 3);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
    cairo_fill(cr);
    cairo_rectangle(cr, x + 1, k.y, w, h + 1.5);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_fill(cr);
    roundRect(cr, x, k.y - 1, w, h + 1, 1.5);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.055);
    cairo_fill(cr);
    // Top face, shorter than the body: the key's front slopes towards the player.
    roundRect(cr, x + 1.5, k.y, w - 3, h - 7, 1.2);
    cairo_pattern_t* p = cairo_pattern_create_linear(x, 0, x + w, 0);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.25, 0.25, 0.27);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 0.16, 0.16, 0.17);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.11, 0.11, 0.12);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // Front slope, lit from above.
    cairo_rectangle(cr, x + 1.5, k.y + h - 7, w - 3, 5.5);
    p = cairo_pattern_create_linear(0, k.y + h - 7, 0, k.y + h - 1.5);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.30, 0.30, 0.32);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.08, 0.08, 0.09);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_move_to(cr, x + 2.5, k.y + 3);
    cairo_line_to(cr, x + 2.5, k.y + h - 9);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.22);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
  }
  // The hold strip along the bottom of the keys.
  recess(cr, k.x + 0.5, whiteBottom + 1.5, rightEnd - k.x - 1, panel::kKeyboardHoldStrip - 3, 2,
         {0.10, 0.10, 0.11});
  for (double x = k.x + 40; x < rightEnd - 20; x += 120) {
    cairo_rectangle(cr, x, whiteBottom + 4.5, 30, 1);
    setColour(cr, kPrintDim, 0.35);
    cairo_fill(cr);
  }
}

void drawBoard(cairo_t* cr) {
  cairo_rectangle(cr, 0, 0, panel::kBoardWidth, panel::kBoardHeight);
  verticalGradient(cr, 0, panel::kBoardHeight, kPanelTop, kPanelBottom);
  cairo_fill(cr);
  const auto& secs = sections();
  // The top strip, then the module plates (the reverb sits inside the mixer).
  cairo_rectangle(cr, 0, 0, 1010, 26);
  verticalGradient(cr, 0, 26, {0.10, 0.105, 0.115}, {0.075, 0.08, 0.085});
  cairo_fill(cr);
  cairo_rectangle(cr, 0, 25.5, 1010, 1);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.08);
  cairo_fill(cr);
  for (size_t i = 1; i < secs.size(); ++i)
    drawSection(cr, secs[i], std::string(secs[i].title) == "REVERB");

  // Display windows of the menus, the meters and the notes.
  for (size_t i = 0; i < panel::kFixedControlCount; ++i) {
    const panel::FixedControl& f = panel::kFixedControls[i];
    const Rect& r = f.rect;
    switch (f.kind) {
      case panel::FixedKind::PatchMenu:
      case panel::FixedKind::VoicesMenu:
        recess(cr, r.x - 3, r.y - 2, r.w + 4, r.h + 4, 2);
        // The drop-down arrow in the inset at the right.
        cairo_move_to(cr, r.right() - 12, r.y + 4);
        cairo_line_to(cr, r.right() - 5, r.y + 4);
        cairo_line_to(cr, r.right() - 8.5, r.y + 8.5);
        cairo_close_path(cr);
        cairo_set_source_rgba(cr, 0.40, 1.0, 0.40, 0.75);
        cairo_fill(cr);
        break;
      case panel::FixedKind::Meter:
        if (f.id == 0) recess(cr, r.x - 2, r.y - 2, r.w + 4, 16, 2, {0.01, 0.01, 0.01});
        if (f.id == 2) recess(cr, r.x - 2, r.y - 2, r.w + 4, r.h + 4, 2, {0.01, 0.01, 0.01});
        break;
      case panel::FixedKind::NotesArea:
        // The same display the notes box shows, so the panel looks alike with notes on or off.
        cairo_save(cr);
        cairo_translate(cr, r.x, r.y);
        drawNotesBox(cr, r.w, r.h);
        cairo_restore(cr);
        break;
      case panel::FixedKind::MidiLight:
        led(cr, r.x + r.w / 2.0, r.y + r.h / 2.0, 6.5, {0.3, 1.0, 0.35}, false);
        break;
      case panel::FixedKind::Button:
        if (f.image && std::strcmp(f.image, "Quorvanelogo.png") == 0) logoPlate(cr, r.x, r.y, r.w, r.h);
        else recess(cr, r.x - 1, r.y - 1, r.w + 2, r.h + 2, 3, {0.02, 0.02, 0.02});
        break;
      default:
        break;
    }
  }

  // Controls' furniture: slots and scales, switch bases, dial scales.
  for (size_t i = 0; i < panel::kBoundControlCount; ++i) {
    const panel::BoundControl& c = panel::kBoundControls[i];
    switch (c.kind) {
      case panel::BoundKind::VerticalSlider:
      case panel::BoundKind::HorizontalSlider:
        drawSlider(cr, c);
        break;
      case panel::BoundKind::Switch:
        switchBase(cr, c.rect, false);
        break;
      case panel::BoundKind::LightButton:
        cairo_arc(cr, c.rect.x + 17, c.rect.y + 17, 18.5, 0, 2 * kPi);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
        cairo_fill(cr);
        break;
      case panel::BoundKind::Knob:
        if (c.imageIsBackground) dialScale(cr, c, c.param == 71);
        else if (c.rect.w < 12) switchBase(cr, c.rect, true);
        break;
    }
  }

  // The multiple's jacks are joined: a bus line behind them.
  {
    const panel::Jack* a = panel::findJack(175);
    const panel::Jack* d = panel::findJack(178);
    cairo_rectangle(cr, a->x + 5.5, a->y + 7, 3, d->y - a->y);
    setColour(cr, kPrint, 0.55);
    cairo_fill(cr);
  }
  // Jacks: outputs stand on a printed square, jacks of both kinds inside an outline.
  for (const panel::Jack& j : panel::kJacks) {
    if (!j.onPanel()) continue;
    double cx = j.x + 7, cy = j.y + 7;
    if (j.kind == panel::kJackOutput) {
      roundRect(cr, cx - 8.5, cy - 8.5, 17, 17, 2.5);
      setColour(cr, {0.80, 0.77, 0.69});
      cairo_fill(cr);
    } else if (j.kind == panel::kJackBoth) {
      roundRect(cr, cx - 8, cy - 8, 16, 16, 2.5);
      setColour(cr, kPrint, 0.7);
      cairo_set_line_width(cr, 1.0);
      cairo_stroke(cr);
    }
    socket(cr, cx, cy);
  }

  drawKeyboard(cr);

  for (const Label& l : labels()) {
    TextStyle st = labelStyle(cr, l);
    double base = l.y + (l.title ? 8.5 : 8.0);
    drawText(cr, l.text, l.x, base, l.align, st, l.maxWidth);
  }
}

// ---- Handles, switches, dials ---------------------------------------------------------

void drawDial(cairo_t* cr) {
  const double cx = 24.5, cy = 24.5;
  // Skirt, knurled rim, then the cap with a soft light from the top left.
  cairo_arc(cr, cx, cy, 18.5, 0, 2 * kPi);
  cairo_pattern_t* p = cairo_pattern_create_linear(cx - 18, cy - 18, cx + 18, cy + 18);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.30, 0.31, 0.33);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.05, 0.05, 0.06);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_set_line_width(cr, 1.0);
  for (int i = 0; i < 40; ++i) {
    double a = i * 2 * kPi / 40;
    cairo_move_to(cr, cx + std::cos(a) * 15.5, cy + std::sin(a) * 15.5);
    cairo_line_to(cr, cx + std::cos(a) * 18.2, cy + std::sin(a) * 18.2);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_stroke(cr);
  }
  cairo_arc(cr, cx + 0.6, cy + 0.9, 14.2, 0, 2 * kPi);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
  cairo_fill(cr);
  cairo_arc(cr, cx, cy, 13.6, 0, 2 * kPi);
  p = cairo_pattern_create_radial(cx - 5, cy - 6, 1, cx, cy, 14);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.36, 0.37, 0.40);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.10, 0.10, 0.11);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  // A faint machined ring on the cap.
  cairo_arc(cr, cx, cy, 9.5, 0, 2 * kPi);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.06);
  cairo_stroke(cr);
}

void drawTransposeFrames(cairo_t* cr, double w, double fh) {
  const char* marks[3] = {"+1", "0", "-1"};
  for (int frame = 0; frame < 3; ++frame) {
    double y0 = frame * fh;
    roundRect(cr, 0.5, y0 + 0.5, w - 1, fh - 1, 3);
    verticalGradient(cr, y0, y0 + fh, {0.16, 0.17, 0.18}, {0.09, 0.095, 0.10});
    cairo_fill(cr);
    bevel(cr, 0.5, y0 + 0.5, w - 1, fh - 1, 3, 0.25, 0.7);
    // The slot and the lever at this frame's position (frame 2 at the top).
    recess(cr, 5, y0 + 5, 3, fh - 10, 1.5, {0.0, 0.0, 0.0});
    double ly = y0 + 7 + (2 - frame) * (fh - 14) / 2.0;
    roundRect(cr, 2.2, ly - 3, 8.6, 6, 1.5);
    verticalGradient(cr, ly - 3, ly + 3, {0.95, 0.95, 0.94}, {0.50, 0.51, 0.53});
    cairo_fill(cr);
    bevel(cr, 2.2, ly - 3, 8.6, 6, 1.5, 0.4, 0.5);
    for (int m = 0; m < 3; ++m) {
      TextStyle st;
      bool on = m == 2 - frame;
      st.colour = on ? kAmberLit : kPrintDim;
      double my = y0 + 7 + m * (fh - 14) / 2.0;
      drawText(cr, marks[m], w - 4, my + 3.3, Align::Right, st);
    }
  }
}

void drawThreeWayLever(cairo_t* cr, double w, double fh) {
  for (int frame = 0; frame < 3; ++frame) {
    double cx = w / 2, cy = frame * fh + fh / 2;
    cairo_arc(cr, cx, cy, 3.2, 0, 2 * kPi);
    cairo_set_source_rgb(cr, 0.55, 0.56, 0.58);
    cairo_fill(cr);
    if (frame == 1) {
      // Centred: seen end on.
      cairo_arc(cr, cx + 0.5, cy + 0.7, 3.0, 0, 2 * kPi);
      cairo_set_source_rgba(cr, 0, 0, 0, 0.4);
      cairo_fill(cr);
      cairo_arc(cr, cx, cy, 2.8, 0, 2 * kPi);
      cairo_pattern_t* p = cairo_pattern_create_radial(cx - 1, cy - 1, 0.3, cx, cy, 2.8);
      cairo_pattern_add_color_stop_rgb(p, 0, 1, 1, 1);
      cairo_pattern_add_color_stop_rgb(p, 1, 0.55, 0.56, 0.58);
      cairo_set_source(cr, p);
      cairo_fill(cr);
      cairo_pattern_destroy(p);
    } else {
      double tip = frame == 2 ? frame * fh + 2.5 : frame * fh + fh - 2.5;
      lever(cr, cx, cy, cx, tip, 4.6);
    }
  }
}

// ---- Meters ---------------------------------------------------------------------------

void drawMeterStrip(cairo_t* cr, double w, double h, bool lit) {
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_set_source_rgb(cr, 0.02, 0.02, 0.02);
  cairo_fill(cr);
  // 20 segments, each 16.4 pixels (4 on the panel after scaling), the last 4 red.
  const int n = 20;
  const double period = w / n;
  for (int i = 0; i < n; ++i) {
    double t = i / double(n - 1);
    Colour c = t < 0.62 ? Colour{0.25, 0.95, 0.35} : t < 0.82 ? Colour{1.0, 0.78, 0.20}
                                                              : Colour{1.0, 0.26, 0.18};
    double x = i * period + 1.0, sw = period - 4.2;
    cairo_rectangle(cr, x, 2, sw, h - 4);
    if (lit) {
      cairo_pattern_t* p = cairo_pattern_create_linear(0, 2, 0, h - 2);
      Colour top = mix(c, {1, 1, 1}, 0.35);
      cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
      cairo_pattern_add_color_stop_rgb(p, 1, c.r * 0.8, c.g * 0.8, c.b * 0.8);
      cairo_set_source(cr, p);
      cairo_fill(cr);
      cairo_pattern_destroy(p);
    } else {
      setColour(cr, scale(c, 0.2));
      cairo_fill(cr);
    }
  }
}

// ---- Dialogs --------------------------------------------------------------------------

void dialogPlate(cairo_t* cr, double w, double h, Colour accent) {
  roundRect(cr, 0, 0, w, h, 7);
  verticalGradient(cr, 0, h, {0.20, 0.21, 0.225}, {0.13, 0.135, 0.145});
  cairo_fill(cr);
  bevel(cr, 0.5, 0.5, w - 1, h - 1, 7, 0.25, 0.8);
  roundRect(cr, 3, 3, w - 6, h - 6, 5);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  cairo_rectangle(cr, 8, 5, w - 16, 2);
  setColour(cr, accent, 0.85);
  cairo_fill(cr);
  // Four screws in the corners.
  for (double sx : {12.0, w - 12}) {
    for (double sy : {14.0, h - 12}) {
      cairo_arc(cr, sx, sy, 3.2, 0, 2 * kPi);
      cairo_pattern_t* p = cairo_pattern_create_linear(sx - 3, sy - 3, sx + 3, sy + 3);
      cairo_pattern_add_color_stop_rgb(p, 0, 0.75, 0.76, 0.78);
      cairo_pattern_add_color_stop_rgb(p, 1, 0.25, 0.26, 0.28);
      cairo_set_source(cr, p);
      cairo_fill(cr);
      cairo_pattern_destroy(p);
      cairo_move_to(cr, sx - 2.2, sy + 1.2);
      cairo_line_to(cr, sx + 2.2, sy - 1.2);
      cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
      cairo_stroke(cr);
    }
  }
}

// A recessed group area inside a dialog.
void dialogArea(cairo_t* cr, double x, double y, double w, double h) {
  roundRect(cr, x, y, w, h, 4);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.22);
  cairo_fill(cr);
  bevel(cr, x, y, w, h, 4, 0.08, 0.45, false);
}

void drawCurveIcon(cairo_t* cr, double x, double y, double s, int curve, Colour c) {
  cairo_set_line_width(cr, 1.6);
  for (int i = 0; i <= 20; ++i) {
    double t = i / 20.0;
    double v = curve == 0 ? t : curve == 1 ? std::log1p(t * 9) / std::log(10.0)
                                           : (std::pow(10.0, t) - 1) / 9;
    double px = x + t * s, py = y + s - v * s;
    if (i == 0) cairo_move_to(cr, px, py); else cairo_line_to(cr, px, py);
  }
  setColour(cr, c);
  cairo_stroke(cr);
}


// A curve button: frame 0 not chosen, frame 1 chosen (lit).
void curveButton(cairo_t* cr, int w, int h, int curve) {
  for (int f = 0; f < 2; ++f) {
    double fh = h / 2.0, y0 = f * fh;
    bool on = f == 1;
    roundRect(cr, 1.5, y0 + 1.5, w - 3, fh - 3, 3);
    if (on) verticalGradient(cr, y0, y0 + fh, {0.10, 0.16, 0.11}, {0.05, 0.09, 0.06});
    else verticalGradient(cr, y0, y0 + fh, {0.33, 0.35, 0.37}, {0.18, 0.19, 0.21});
    cairo_fill(cr);
    bevel(cr, 1.5, y0 + 1.5, w - 3, fh - 3, 3, on ? 0.05 : 0.3, 0.6, !on);
    drawCurveIcon(cr, 6, y0 + 6, w - 12, curve, on ? kGreenLit : kPrintDim);
  }
}

// A range cap: a small handle, flat on the side that faces the range.
void rangeCap(cairo_t* cr, int w, int h, bool left) {
  double x = left ? 3 : 1, bw = w - 4, y = 3, bh = h - 6;
  softShadow(cr, x, y, bw, bh, 3, 0.8, 1.0, 0.45);
  roundRect(cr, x, y, bw, bh, 3);
  verticalGradient(cr, y, y + bh, {0.92, 0.92, 0.90}, {0.55, 0.56, 0.58});
  cairo_fill(cr);
  bevel(cr, x, y, bw, bh, 3, 0.5, 0.5);
  cairo_set_line_width(cr, 1.0);
  for (int i = -1; i <= 1; ++i) {
    double gx = x + bw / 2 + i * 3 + 0.5;
    cairo_move_to(cr, gx, y + 4);
    cairo_line_to(cr, gx, y + bh - 4);
  }
  cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
  cairo_stroke(cr);
  // The bracket edge that meets the range.
  double ex = left ? x + bw - 1.5 : x + 1.5;
  cairo_move_to(cr, ex, y + 1);
  cairo_line_to(cr, ex, y + bh - 1);
  setColour(cr, kGreenLit, 0.9);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

// The string menu's three parts: left cap, stretchable centre, right cap with the arrow.
void menuPart(cairo_t* cr, int w, int h, int part) {
  double x0 = part == 0 ? 0.5 : -4, x1 = part == 2 ? w - 0.5 : w + 4;
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_clip(cr);
  roundRect(cr, x0, 0.5, x1 - x0, h - 1, 3);
  cairo_set_source_rgb(cr, 0.05, 0.06, 0.06);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.0);
  cairo_move_to(cr, x0, 1);
  cairo_line_to(cr, x1, 1);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
  cairo_stroke(cr);
  cairo_move_to(cr, x0, h - 0.5);
  cairo_line_to(cr, x1, h - 0.5);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.14);
  cairo_stroke(cr);
  if (part == 0) {
    cairo_move_to(cr, 0.5, 1);
    cairo_line_to(cr, 0.5, h - 1);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    cairo_stroke(cr);
  }
  if (part == 2) {
    cairo_move_to(cr, w - 0.5, 1);
    cairo_line_to(cr, w - 0.5, h - 1);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.14);
    cairo_stroke(cr);
    cairo_move_to(cr, 2.5, 3);
    cairo_line_to(cr, 2.5, h - 3);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
    cairo_stroke(cr);
    cairo_move_to(cr, 6, h / 2.0 - 2.5);
    cairo_line_to(cr, 14, h / 2.0 - 2.5);
    cairo_line_to(cr, 10, h / 2.0 + 2.5);
    cairo_close_path(cr);
    setColour(cr, kGreenLit, 0.9);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

// The dialogs' two-frame push buttons and their captions.
const std::map<std::string, std::string>& dialogButtons() {
  static const std::map<std::string, std::string> m = {
      {"ok.png", "OK"}, {"cancel.png", "Cancel"}, {"select.png", "Select"},
      {"import.png", "Import"}, {"export.png", "Export"}, {"cut.png", "Cut"},
      {"copy.png", "Copy"}, {"paste.png", "Paste"}, {"up.png", "Move Up"},
      {"down.png", "Move Down"}, {"rename.png", "Rename"}, {"delete.png", "Delete"},
      {"newgroup.png", "New Group"}, {"newcat.png", "New Category"},
  };
  return m;
}

// ---- Drawing by name ------------------------------------------------------------------

using Painter = std::function<void(cairo_t*, int, int)>;

void momentary(cairo_t* cr, int w, int h, const std::string& text, double size, double r) {
  pushButton(cr, w, h / 2.0, 0, true, text, size, r);
  pushButton(cr, w, h / 2.0, 1, false, text, size, r);
}

const std::map<std::string, Painter>& painters() {
  static const std::map<std::string, Painter> m = {
      {"Stereo-Stereo-Board1.2.0.png", [](cairo_t* cr, int, int) { drawBoard(cr); }},
      {"vert_knob.png", [](cairo_t* cr, int w, int h) { faderCap(cr, w, h, true, kPrint); }},
      {"horz_knob.png", [](cairo_t* cr, int w, int h) { faderCap(cr, w, h, false, kPrint); }},
      {"smallslider.png", [](cairo_t* cr, int w, int h) { faderCap(cr, w, h, false, kPrint); }},
      {"smallslider1.png", [](cairo_t* cr, int w, int h) { faderCap(cr, w, h, false, kAmberLit); }},
      {"vert_switch.png", [](cairo_t* cr, int w, int h) { slideActuator(cr, w, h); }},
      {"horz_switch.png", [](cairo_t* cr, int w, int h) { slideActuator(cr, w, h); }},
      {"tpos_switch.png", [](cairo_t* cr, int w, int h) { drawThreeWayLever(cr, w, h / 3.0); }},
      {"transpose.png", [](cairo_t* cr, int w, int h) { drawTransposeFrames(cr, w, h / 3.0); }},
      {"dial.png", [](cairo_t* cr, int, int) { drawDial(cr); }},
      {"cableend.png", [](cairo_t* cr, int, int) {
         // A plug seen from above: rubber boot, metal collar.
         cairo_arc(cr, 7.6, 7.9, 6.6, 0, 2 * kPi);
         cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
         cairo_fill(cr);
         cairo_arc(cr, 7, 7, 6.4, 0, 2 * kPi);
         cairo_pattern_t* p = cairo_pattern_create_radial(5, 5, 0.5, 7, 7, 6.5);
         cairo_pattern_add_color_stop_rgb(p, 0, 0.62, 0.62, 0.64);
         cairo_pattern_add_color_stop_rgb(p, 1, 0.20, 0.20, 0.21);
         cairo_set_source(cr, p);
         cairo_fill(cr);
         cairo_pattern_destroy(p);
         cairo_arc(cr, 7, 7, 3.2, 0, 2 * kPi);
         cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
         cairo_set_line_width(cr, 1.0);
         cairo_stroke(cr);
         cairo_arc(cr, 6.2, 6.0, 1.4, 0, 2 * kPi);
         cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
         cairo_fill(cr);
       }},
      {"goldplug.png", [](cairo_t* cr, int, int) { socket(cr, 7, 7, true); }},
      {"powerlight.png", [](cairo_t* cr, int w, int h) {
         led(cr, w / 2.0, h / 4.0, 12.5, {1.0, 0.22, 0.14}, false);
         led(cr, w / 2.0, h * 3 / 4.0, 12.5, {1.0, 0.22, 0.14}, true);
       }},
      {"midi.png", [](cairo_t* cr, int w, int h) {
         led(cr, w / 2.0, h / 4.0, 6.5, {0.3, 1.0, 0.35}, false);
         led(cr, w / 2.0, h * 3 / 4.0, 6.5, {0.3, 1.0, 0.35}, true);
       }},
      {"ptchmgr.png", [](cairo_t* cr, int w, int h) { momentary(cr, w, h, "PATCH MANAGER", 9, 3); }},
      {"save.png", [](cairo_t* cr, int w, int h) { momentary(cr, w, h, "SAVE", 9, 3); }},
      {"saveas.png", [](cairo_t* cr, int w, int h) { momentary(cr, w, h, "SAVE AS", 9, 3); }},
      {"envbutton.png", [](cairo_t* cr, int w, int h) { momentary(cr, w, h, "", 9, 2); }},
      {"reset.png", [](cairo_t* cr, int w, int h) {
         for (int f = 0; f < 2; ++f) {
           double fh = h / 2.0, cy = f * fh + fh / 2, cx = w / 2.0;
           bool pressed = f == 0;
           if (!pressed) softShadow(cr, 1.5, f * fh + 1.5, w - 3, fh - 3, 10, 0.6, 0.8, 0.4);
           cairo_arc(cr, cx, cy, 10.5, 0, 2 * kPi);
           if (pressed) verticalGradient(cr, cy - 10, cy + 10, {0.13, 0.14, 0.15}, {0.22, 0.23, 0.25});
           else verticalGradient(cr, cy - 10, cy + 10, {0.38, 0.40, 0.43}, {0.18, 0.19, 0.21});
           cairo_fill(cr);
           cairo_arc(cr, cx, cy, 10.5, 0, 2 * kPi);
           cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
           cairo_set_line_width(cr, 1.0);
           cairo_stroke(cr);
           // Circular arrow.
           Colour c = pressed ? kAmberLit : kPrint;
           cairo_set_line_width(cr, 1.8);
           cairo_arc(cr, cx, cy, 5.2, -kPi * 0.35, kPi * 1.45);
           setColour(cr, c);
           cairo_stroke(cr);
           double ax = cx + 5.2 * std::cos(-kPi * 0.35), ay = cy + 5.2 * std::sin(-kPi * 0.35);
           cairo_move_to(cr, ax + 3.2, ay - 1.0);
           cairo_line_to(cr, ax - 0.6, ay - 3.4);
           cairo_line_to(cr, ax - 0.4, ay + 1.6);
           cairo_close_path(cr);
           cairo_fill(cr);
         }
       }},
      {"lock.png", [](cairo_t* cr, int w, int h) {
         for (int f = 0; f < 2; ++f) {
           double fh = h / 2.0, y0 = f * fh;
           bool locked = f == 1;
           pushButton(cr, w, fh, f, false, "", 9, 3);
           Colour c = locked ? kAmberLit : kPrintDim;
           cairo_rectangle(cr, 4.5, y0 + 8, 8, 6);
           setColour(cr, c);
           cairo_fill(cr);
           cairo_set_line_width(cr, 1.5);
           if (locked) cairo_arc(cr, 8.5, y0 + 8, 2.6, kPi, 2 * kPi);
           else cairo_arc(cr, 11.5, y0 + 6.5, 2.6, kPi, 2 * kPi);
           cairo_stroke(cr);
           if (!locked) {
             cairo_move_to(cr, 14.1, y0 + 6.5);
             cairo_line_to(cr, 14.1, y0 + 8);
             cairo_stroke(cr);
           }
         }
       }},
      {"Quorvanelogo.png", [](cairo_t* cr, int w, int h) { logoPlate(cr, 0, 0, w, h); }},
      {"led_front.png", [](cairo_t* cr, int w, int h) { drawMeterStrip(cr, w, h, true); }},
      {"led_back_qv.png", [](cairo_t* cr, int w, int h) { drawMeterStrip(cr, w, h, false); }},
      {"Notes_Box.png", [](cairo_t* cr, int w, int h) { drawNotesBox(cr, w, h); }},
      {"midimap.png", [](cairo_t* cr, int w, int h) {
         dialogPlate(cr, w, h, kCyanLit);
         // The global settings and the patch's own settings.
         dialogArea(cr, 34, 70, w - 60, 150);
         dialogArea(cr, 34, 225, w - 60, 190);
       }},
      {"patch.png", [](cairo_t* cr, int w, int h) {
         dialogPlate(cr, w, h, kAmberLit);
         dialogArea(cr, 10, 48, 90, 280);
         for (int i = 0; i < 3; ++i) dialogArea(cr, 102 + i * 174, 52, 168, 296);
       }},
      {"saveasback.png", [](cairo_t* cr, int w, int h) {
         dialogPlate(cr, w, h, kAmberLit);
         dialogArea(cr, 34, 74, w - 60, 60);
         dialogArea(cr, 34, 148, w - 60, 290);
       }},
      {"midibeat.png", [](cairo_t* cr, int w, int h) {
         dialogPlate(cr, w, h, kCyanLit);
         dialogArea(cr, 64, 82, w - 104, 110);
         dialogArea(cr, 64, 205, w - 104, 112);
       }},
      {"microselect.png", [](cairo_t* cr, int w, int h) {
         dialogPlate(cr, w, h, kAmberLit);
         dialogArea(cr, 40, 70, w - 80, 50);
       }},
      {"aboutBack.png", [](cairo_t* cr, int w, int h) {
         dialogPlate(cr, w, h, kAmberLit);
         logoPlate(cr, (w - 300) / 2.0, 40, 300, 96);
         // A waveform across the plate: saw, pulse and sine, as the oscillators draw them.
         cairo_set_line_width(cr, 1.5);
         for (int i = 0; i <= 500; ++i) {
           double x = 50 + i;
           double t = i / 500.0 * 6;
           double v = t < 2 ? (std::fmod(t, 1.0) * 2 - 1) : t < 4 ? (std::fmod(t, 1.0) < 0.5 ? 1 : -1)
                                                               : std::sin(t * 2 * kPi);
           double y = 190 - v * 22;
           if (i == 0) cairo_move_to(cr, x, y); else cairo_line_to(cr, x, y);
         }
         setColour(cr, kAmberLit, 0.55);
         cairo_stroke(cr);
         dialogArea(cr, 80, 240, w - 160, 205);
       }},
      {"checkbox.png", [](cairo_t* cr, int w, int h) {
         for (int f = 0; f < 2; ++f) {
           double fh = h / 2.0, y0 = f * fh;
           recess(cr, 3, y0 + 4, 14, 14, 2, {0.05, 0.05, 0.055});
           if (f == 1) {
             cairo_set_line_width(cr, 2.2);
             cairo_move_to(cr, 6, y0 + 11);
             cairo_line_to(cr, 9, y0 + 14.5);
             cairo_line_to(cr, 14.5, y0 + 6.5);
             cairo_set_source_rgb(cr, 0.40, 1.0, 0.40);
             cairo_stroke(cr);
           }
         }
         (void)w;
       }},
      {"linear.png", [](cairo_t* cr, int w, int h) { curveButton(cr, w, h, 0); }},
      {"log.png", [](cairo_t* cr, int w, int h) { curveButton(cr, w, h, 1); }},
      {"exp.png", [](cairo_t* cr, int w, int h) { curveButton(cr, w, h, 2); }},
      {"leftrangecap.png", [](cairo_t* cr, int w, int h) { rangeCap(cr, w, h, true); }},
      {"rightrangecap.png", [](cairo_t* cr, int w, int h) { rangeCap(cr, w, h, false); }},
      {"gradient.png", [](cairo_t* cr, int w, int h) {
         cairo_rectangle(cr, 0, 0, w, h);
         cairo_set_source_rgb(cr, 0.16, 0.165, 0.175);
         cairo_fill(cr);
         cairo_set_line_width(cr, 1.0);
         for (int x = -h; x < w; x += 6) {
           cairo_move_to(cr, x, h);
           cairo_line_to(cr, x + h, 0);
         }
         cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
         cairo_stroke(cr);
       }},
      {"menu_left.png", [](cairo_t* cr, int w, int h) { menuPart(cr, w, h, 0); }},
      {"menu_center.png", [](cairo_t* cr, int w, int h) { menuPart(cr, w, h, 1); }},
      {"menu_right.png", [](cairo_t* cr, int w, int h) { menuPart(cr, w, h, 2); }},
      {"small_back1.png", [](cairo_t* cr, int w, int h) {
         // This slider has no insets: the handle's centre runs the whole width.
         Rect travel{1, h / 2 - 2, w - 2, 4};
         sliderTicks(cr, travel, false, 5.5);
         slot(cr, 3, h / 2.0, w - 3, h / 2.0, 4);
       }},
  };
  return m;
}

}  // namespace

bool Image::opaque() const {
  for (size_t i = 3; i < rgba.size(); i += 4)
    if (rgba[i] != 255) return false;
  return true;
}

bool loadFonts(const std::string& fontDir, std::string& error) {
  if (gFonts.regular) return true;
  if (FT_Init_FreeType(&gFonts.library) != 0) {
    error = "cannot start FreeType";
    return false;
  }
  std::string reg = fontDir + "/LiberationSans-Regular.ttf", bold = fontDir + "/LiberationSans-Bold.ttf";
  if (FT_New_Face(gFonts.library, reg.c_str(), 0, &gFonts.regularFace) != 0 ||
      FT_New_Face(gFonts.library, bold.c_str(), 0, &gFonts.boldFace) != 0) {
    error = "cannot load Liberation Sans from " + fontDir;
    return false;
  }
  gFonts.regular = cairo_ft_font_face_create_for_ft_face(gFonts.regularFace, 0);
  gFonts.bold = cairo_ft_font_face_create_for_ft_face(gFonts.boldFace, 0);
  return true;
}

Image render(const panel::ImageSpec& spec) {
  Canvas c(spec.width, spec.height);
  auto& p = painters();
  auto it = p.find(spec.name);
  if (it != p.end()) {
    it->second(c.cr, spec.width, spec.height);
  } else {
    auto b = dialogButtons().find(spec.name);
    if (b == dialogButtons().end()) throw std::invalid_argument(std::string("no drawing for ") + spec.name);
    momentary(c.cr, spec.width, spec.height, b->second, 12, 4);
  }
  if (cairo_status(c.cr) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(std::string("cairo failed drawing ") + spec.name);
  return c.take(spec.name);
}

double labelCondensing(const Label& l) {
  Canvas c(1, 1);
  double width = 0;
  return prepareFont(c.cr, l.text, labelStyle(c.cr, l), l.maxWidth, width);
}

Rect labelBox(const Label& l) {
  Canvas c(1, 1);
  double width = 0;
  prepareFont(c.cr, l.text, labelStyle(c.cr, l), l.maxWidth, width);
  int w = static_cast<int>(std::ceil(width));
  int x = l.align == Align::Left ? l.x : l.align == Align::Centre ? l.x - w / 2 : l.x - w;
  return {x, l.y, w, kLabelBoxHeight};
}

bool writePng(const Image& image, const std::string& path, std::string& error) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    error = "cannot write " + path;
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    error = "libpng failed writing " + path;
    return false;
  }
  const bool opaque = image.opaque();
  png_init_io(png, f);
  png_set_compression_level(png, 9);
  png_set_filter(png, 0, PNG_ALL_FILTERS);
  png_set_IHDR(png, info, image.width, image.height, 8, opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * 4);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* src = &image.rgba[static_cast<size_t>(y) * image.width * 4];
    if (opaque) {
      for (int x = 0; x < image.width; ++x)
        for (int k = 0; k < 3; ++k) row[x * 3 + k] = src[x * 4 + k];
      png_write_row(png, row.data());
    } else {
      png_write_row(png, const_cast<uint8_t*>(src));
    }
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(f) != 0) {
    error = "cannot finish " + path;
    return false;
  }
  return true;
}

}  // namespace art
