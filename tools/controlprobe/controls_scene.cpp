#include "tools/controlprobe/controls_scene.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "gui/cauguibutton.h"
#include "gui/cauguicanvas.h"
#include "gui/cauguigraphic.h"
#include "gui/cauguiknob.h"
#include "gui/cauguimeter.h"
#include "gui/cauguipane.h"
#include "gui/cauguislider.h"
#include "tests/gui/png_writer.h"

namespace {

uint32_t grey(int level) { return 0xFF000000u | uint32_t(level) * 0x010101u; }

template <typename Image, typename... Args>
Image* image(CAUGuiCanvas& canvas, const char* name, const std::vector<uint8_t>& png, Args... args) {
  auto* g = new Image(ImageSource(name, png.data(), png.size()), args...);
  canvas.addGraphic(g);
  return g;
}

}  // namespace

ParamBinding plainBinding(int32_t index, const char* name, float defaultValue, CanvasPlugin* plugin) {
  ParamBinding b;
  b.index = index;
  std::snprintf(b.desc.name, sizeof b.desc.name, "%s", name);
  b.desc.minimum = 0.0f;
  b.desc.maximum = 1.0f;
  b.desc.defaultValue = defaultValue;
  b.plugin = plugin;
  return b;
}

ControlsScene buildControlsScene(CAUGuiCanvas& canvas, CAUGuiCtrl* parent, int x, int y, const ParamBinding& knob,
                                 const ParamBinding& slider) {
  using S = ControlsScene;
  const auto back = testpng::encodeColours(S::kWidth, S::kHeight, [](int px, int py) {
    const bool edge = px < 2 || py < 2 || px >= S::kWidth - 2 || py >= S::kHeight - 2;
    return edge ? grey(0x70) : grey(0x3C + py / 10);
  });
  const auto dial = testpng::encodeColours(43, 43, [](int px, int py) {
    const double d = std::hypot(px - 21.0, py - 21.0);
    if (d > 20.5) return 0u;
    return d >= 18.0 ? grey(0xA0) : grey(0x50 - int(d));
  });
  const auto handle = testpng::encodeColours(24, 12, [](int, int py) { return py == 5 || py == 6 ? grey(0x30) : grey(0xE4); });
  const auto slot = testpng::encodeColours(24, 85, [](int px, int py) {
    return (px >= 10 && px < 14 && py >= 8 && py < 77) ? grey(0x14) : 0u;
  });
  const auto lamp = testpng::encodeColours(30, 40, [](int, int py) { return py < 20 ? 0xFF503020u : 0xFF40E060u; });
  const auto push = testpng::encodeColours(30, 40, [](int, int py) { return py < 20 ? 0xFFFFA030u : 0xFF905010u; });
  const auto led = testpng::encodeColours(328, 6, [](int px, int) {
    return 0xFF000000u | uint32_t(40 + px * 215 / 328) << 16 | uint32_t(220 - px * 170 / 328) << 8;
  });
  const auto ledBack = testpng::encodeColours(80, 6, [](int, int) { return grey(0x18); });

  ControlsScene s;
  s.pane = new CAUGuiPane(&canvas, {x, y, S::kWidth, S::kHeight}, image<CAUGuiGraphic>(canvas, "scene_back.png", back));
  if (parent)
    parent->addChild(s.pane);
  else
    canvas.addControl(s.pane);
  s.knob = new CAUGuiKnob(&canvas, knob, S::kKnob, 100, nullptr, image<CAUGuiGraphic>(canvas, "scene_dial.png", dial), 1,
                          -0.375f, 0.375f);
  s.slider = new CAUGuiSlider(&canvas, slider, S::kSlider, CAUGuiSlider::kVertical, 1000,
                              image<CAUGuiHandleImage>(canvas, "scene_handle.png", handle, 0, 0, 1),
                              image<CAUGuiGraphic>(canvas, "scene_slot.png", slot));
  s.toggle = new CAUGuiButton(&canvas, 1, S::kToggle, image<CAUGuiGraphic>(canvas, "scene_lamp.png", lamp, 2), nullptr,
                              CAUGuiButton::kToggle);
  s.push = new CAUGuiButton(&canvas, 1, S::kPush, image<CAUGuiGraphic>(canvas, "scene_push.png", push, 2), nullptr,
                            CAUGuiButton::kMomentary);
  s.meter = new CAUGuiMeter(&canvas, 0, S::kMeter, 100,
                            image<CAUGuiCroppingImage>(canvas, "scene_led.png", led, 164, 0, CAUGuiCroppingImage::kRight, 0),
                            image<CAUGuiGraphic>(canvas, "scene_ledback.png", ledBack), CAUGuiMeter::kLevel);
  for (CAUGuiCtrl* c : std::initializer_list<CAUGuiCtrl*>{s.knob, s.slider, s.toggle, s.push, s.meter}) s.pane->addChild(c);
  s.slider->insetImageRect(0, 10, 0, 10);
  s.knob->insetImageRect(0, 0, 3, 3);
  return s;
}
