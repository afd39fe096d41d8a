// The images the editor loads, by name, at about the sizes the panel and dialogs show
// them, and a synthetic picture of any size that compresses like drawn artwork (shaded,
// with a translucent edge and a little noise). Shared by the decoding benchmark and the
// decode timing tool that also runs under Wine.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/gui/png_writer.h"

namespace editorimages {

struct ImageSize {
  const char* name;
  int width;
  int height;  // all frames
};

// The 55 images, sized for the rectangles the panel and pop-ups give them.
inline const ImageSize kImages[] = {
    {"Stereo-Stereo-Board1.2.0.png", 1010, 623}, {"horz_knob.png", 22, 24},   {"vert_knob.png", 24, 22},
    {"smallslider.png", 14, 17},                 {"smallslider1.png", 14, 17}, {"vert_switch.png", 9, 12},
    {"horz_switch.png", 12, 9},                  {"dial.png", 40, 40},        {"cableend.png", 20, 20},
    {"goldplug.png", 24, 24},                    {"transpose.png", 40, 120},  {"tpos_switch.png", 30, 90},
    {"powerlight.png", 20, 40},                  {"ptchmgr.png", 98, 34},     {"save.png", 44, 34},
    {"saveas.png", 44, 34},                      {"midi.png", 19, 38},        {"reset.png", 23, 46},
    {"lock.png", 17, 34},                        {"Quorvanelogo.png", 197, 63}, {"led_front.png", 328, 12},
    {"led_back_qv.png", 328, 12},                {"midimap.png", 610, 420},   {"patch.png", 670, 450},
    {"saveasback.png", 420, 220},                {"midibeat.png", 420, 260},  {"microselect.png", 420, 320},
    {"Notes_Box.png", 300, 120},                 {"envbutton.png", 12, 22},   {"aboutBack.png", 800, 460},
    {"menu_left.png", 8, 20},                    {"menu_right.png", 8, 20},   {"menu_center.png", 100, 20},
    {"ok.png", 60, 44},                          {"cancel.png", 60, 44},      {"checkbox.png", 16, 32},
    {"copy.png", 80, 44},                        {"cut.png", 80, 44},         {"paste.png", 80, 44},
    {"delete.png", 80, 44},                      {"export.png", 80, 44},      {"import.png", 80, 44},
    {"rename.png", 80, 44},                      {"newcat.png", 80, 44},      {"newgroup.png", 80, 44},
    {"select.png", 80, 44},                      {"up.png", 16, 32},          {"down.png", 16, 32},
    {"exp.png", 30, 60},                         {"linear.png", 30, 60},      {"log.png", 30, 60},
    {"leftrangecap.png", 10, 20},                {"rightrangecap.png", 10, 20}, {"gradient.png", 200, 20},
    {"small_back1.png", 150, 100},
};
static_assert(sizeof kImages / sizeof kImages[0] == 55);

inline std::vector<uint8_t> drawnLikePicture(int width, int height) {
  const testpng::Encoding e{PNG_COLOR_TYPE_RGB_ALPHA, 8, false};
  testpng::Picture p;
  p.width = width;
  p.height = height;
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x) {
      seed = seed * 214013u + 2531011u;
      const int noise = static_cast<int>((seed >> 16) & 7);
      const bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
      row.push_back(static_cast<uint8_t>(60 + 120 * x / width + noise));
      row.push_back(static_cast<uint8_t>(70 + 100 * y / height + noise));
      row.push_back(static_cast<uint8_t>(90 + noise));
      row.push_back(edge ? 96 : 255);
    }
    p.rows.push_back(std::move(row));
  }
  return testpng::encode(e, p);
}

}  // namespace editorimages
