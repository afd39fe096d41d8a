// Every standard control drawn by the canvas into its off-screen bitmap, headless, on a
// small pane with images the test draws itself. The pictures are kept in the test's data
// folder (controls.png, controls-dragging.png) to be looked at.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "gui/cauguibutton.h"
#include "gui/cauguigraphic.h"
#include "gui/cauguiknob.h"
#include "gui/cauguimeter.h"
#include "gui/cauguipane.h"
#include "gui/cauguislider.h"
#include "platform/gui.h"
#include "platform/headless_gui.h"
#include "platform/platform.h"
#include "tests/gui/controls_fixture.h"

namespace {

constexpr uint32_t kRest = 0xFF804000, kPressed = 0xFFFF8000;
constexpr uint32_t kOff = 0xFF505050, kOn = 0xFF30D040;
constexpr uint32_t kHandle = 0xFFE8E8E0, kBack = 0xFF202020;
constexpr uint32_t kLightOn = 0xFFFF2020;

uint32_t paneColour(int, int y) {
  const uint32_t s = static_cast<uint32_t>(y / 6);
  return 0xFF000000u | ((0x30 + s) << 16) | ((0x3A + s) << 8) | (0x48 + s);
}

struct DrawnControls : ControlsFixture {
  CAUGuiGraphic* image(CAUGuiGraphic* g) {
    canvas->addGraphic(g);
    return g;
  }

  void SetUp() override {
    std::filesystem::create_directories(platform::dataFolder());
    addImage("t-pane.png", 360, 160, paneColour);
    addFramesImage("t-push.png", 30, 20, {kPressed, kRest});
    addFramesImage("t-switch.png", 30, 20, {kOff, kOn});
    addImage("t-dial.png", 43, 43, [](int x, int y) {
      const double d = std::hypot(x - 20.0, y - 20.0);
      return d <= 19.5 ? (d >= 17.0 ? 0xFF9098A0u : 0xFF40464Cu) : 0u;
    });
    addImage("t-vhandle.png", 24, 12, [](int, int y) { return y == 5 || y == 6 ? 0xFF303030u : kHandle; });
    addImage("t-hhandle.png", 12, 24, [](int x, int) { return x == 5 || x == 6 ? 0xFF303030u : kHandle; });
    addImage("t-slot.png", 24, 85, [](int x, int y) { return (x >= 10 && x < 14 && y >= 8 && y < 77) ? 0xFF101010u : 0u; });
    addImage("t-led.png", 328, 6, [](int x, int) { return 0xFF000000u | uint32_t(40 + x * 215 / 328) << 16 | uint32_t(220 - x * 180 / 328) << 8; });
    addFramesImage("t-ledback.png", 80, 6, {kBack});
    addFramesImage("t-light.png", 19, 19, {0xFF401010, kLightOn});

    pane = add(new CAUGuiPane(canvas.get(), {0, 0, 360, 160}, image(new CAUGuiGraphic("t-pane.png"))));
    CAUGuiGraphic* push = image(new CAUGuiGraphic("t-push.png", 2));
    CAUGuiGraphic* sw = image(new CAUGuiGraphic("t-switch.png", 2));
    momentary = new CAUGuiButton(canvas.get(), 1, {10, 10, 30, 20}, push, nullptr, CAUGuiButton::kMomentary);
    toggle = new CAUGuiButton(canvas.get(), 1, {50, 10, 30, 20}, sw, nullptr, CAUGuiButton::kToggle);
    disabled = new CAUGuiButton(canvas.get(), 1, {90, 10, 30, 20}, sw, nullptr, CAUGuiButton::kToggle);
    knob = new CAUGuiKnob(canvas.get(), bindingFor(70, &plugin), {130, 10, 43, 43}, 100, nullptr,
                          image(new CAUGuiGraphic("t-dial.png")), 1, -0.375f, 0.375f);
    vertical = new CAUGuiSlider(canvas.get(), bindingFor(2, &plugin), {190, 10, 24, 85}, CAUGuiSlider::kVertical, 1000,
                                image(new CAUGuiHandleImage("t-vhandle.png", 0, 0, 1)),
                                image(new CAUGuiGraphic("t-slot.png")));
    horizontal = new CAUGuiSlider(canvas.get(), bindingFor(45, &plugin), {10, 100, 100, 24},
                                  CAUGuiSlider::kHorizontal, 1000, image(new CAUGuiHandleImage("t-hhandle.png", 0, 0, 0)),
                                  nullptr);
    CAUGuiGraphic* led = image(new CAUGuiCroppingImage("t-led.png", 164, 0, CAUGuiCroppingImage::kRight, 0));
    level = new CAUGuiMeter(canvas.get(), 0, {10, 60, 80, 6}, 100, led, image(new CAUGuiGraphic("t-ledback.png")),
                            CAUGuiMeter::kLevel);
    light = new CAUGuiMeter(canvas.get(), 4, {100, 55, 19, 19}, 100, image(new CAUGuiGraphic("t-light.png", 2)),
                            nullptr, CAUGuiMeter::kRaw);
    for (CAUGuiCtrl* c : std::initializer_list<CAUGuiCtrl*>{momentary, toggle, disabled, knob, vertical, horizontal,
                                                             level, light})
      pane->addChild(c);
    vertical->insetImageRect(0, 10, 0, 10);
    horizontal->insetImageRect(10, 0, 11, 0);
    knob->insetImageRect(0, 0, 3, 3);

    toggle->setValue(1.0f);
    disabled->setValue(1.0f);
    disabled->setEnabled(false);
    knob->setValue(7.5f);  // three quarters of 0..10
    vertical->setValue(0.25f);
    horizontal->setValue(0.6f);
    plugin.meters[0] = 512.0f * 0.04f;  // half the bar
    plugin.meters[4] = 1.0f;            // the MIDI light on
  }

  uint32_t at(int x, int y) const { return canvas->bitmap()->pixel(x, y); }
  void save(const char* name) const {
    ASSERT_TRUE(platform::headless::savePng(*canvas->bitmap(), platform::dataFolder() + name));
  }

  CAUGuiPane* pane = nullptr;
  CAUGuiButton *momentary = nullptr, *toggle = nullptr, *disabled = nullptr;
  CAUGuiKnob* knob = nullptr;
  CAUGuiSlider *vertical = nullptr, *horizontal = nullptr;
  CAUGuiMeter *level = nullptr, *light = nullptr;
};

TEST_F(DrawnControls, EachControlShowsItsValue) {
  canvas->idle();
  save("controls.png");

  EXPECT_EQ(at(300, 150), paneColour(300, 150)) << "the pane's background";
  EXPECT_EQ(at(25, 20), kRest) << "a momentary button at rest";
  EXPECT_EQ(at(65, 20), kOn) << "a toggle that is on";
  const uint32_t faded = at(105, 20);
  EXPECT_NE(faded, kOn);
  EXPECT_GT((faded >> 8) & 0xFF, (paneColour(105, 20) >> 8) & 0xFF) << "a disabled toggle, faded over the pane";
  EXPECT_LT((faded >> 8) & 0xFF, 0x80u);
  // The knob at three quarters: its pointer line to the right of the top, near the rim.
  EXPECT_EQ(at(170, 26), 0xFFC8C8C8u);
  EXPECT_EQ(at(151, 12) & 0xFFFFFF, 0x9098A0u) << "the dial's rim, no pointer at the top";
  // The vertical slider at a quarter: its handle centred 3/4 down the 65-pixel travel.
  EXPECT_EQ(at(195, 64), kHandle);
  EXPECT_EQ(at(195, 73), kHandle);
  EXPECT_NE(at(195, 76), kHandle);
  EXPECT_NE(at(195, 60), kHandle);
  // The horizontal slider at 0.6 of its 79-pixel travel from x = 20: centred at 67.
  EXPECT_EQ(at(62, 110), kHandle);
  EXPECT_EQ(at(71, 110), kHandle);
  EXPECT_NE(at(74, 110), kHandle);
  // The level meter at half: the bar's left part over the dark back.
  EXPECT_GT((at(12, 62) >> 8) & 0xFF, 0xC0u) << "the green end of the bar";
  EXPECT_NE(at(49, 62), kBack) << "inside the bar";
  EXPECT_EQ(at(51, 62), kBack);
  EXPECT_EQ(at(109, 64), kLightOn) << "the MIDI light";
}

// The pointer line turns about a point right of and below the knob's middle, so at some
// angles it reaches past the knob's edges. Drawn whole at any value and then turned, the
// knob shows what a whole redraw at its new value shows: no line of the old angle beside it.
TEST_F(DrawnControls, ATurnedKnobLeavesNoPointerBesideIt) {
  const GuiRect b = knob->bounds();
  const GuiRect around{b.x - 4, b.y - 4, b.w + 8, b.h + 8};
  auto pixels = [&] {
    std::vector<uint32_t> v;
    for (int y = around.y; y < around.y + around.h; ++y)
      for (int x = around.x; x < around.x + around.w; ++x) v.push_back(at(x, y));
    return v;
  };
  for (int step = 0; step <= 40; ++step) {
    knob->setValue(step * 0.25f);
    pane->redraw();
    canvas->idle();
    knob->setValue(7.5f);
    knob->redraw();
    canvas->idle();
    const std::vector<uint32_t> turned = pixels();
    pane->redraw();
    canvas->idle();
    const std::vector<uint32_t> whole = pixels();
    for (std::size_t i = 0; i < whole.size(); ++i)
      if (turned[i] != whole[i]) {
        ADD_FAILURE() << "turned from " << step * 0.25f << ": pixel (" << around.x + int(i) % around.w << ", "
                      << around.y + int(i) / around.w << ") is " << std::hex << turned[i] << ", redrawn whole "
                      << whole[i];
        break;
      }
  }
}

TEST_F(DrawnControls, APressedButtonAndADraggedSliderWithItsTip) {
  canvas->idle();
  canvas->mouseDown({25, 20}, false, false);
  canvas->idle();
  EXPECT_EQ(at(25, 20), kPressed);
  canvas->mouseUp({25, 20}, false);

  canvas->mouseDown({202, 68}, false, false);
  canvas->mouseDrag({202, 36}, false);
  canvas->idle();
  save("controls-dragging.png");
  EXPECT_EQ(at(25, 20), kRest);
  EXPECT_GT(vertical->position(), 700);
  // The tip below the slider: its fill, and white text inside.
  const GuiRect tip = vertical->tipBox();
  EXPECT_EQ(at(tip.x + tip.w - 6, tip.y + tip.h - 6), 0xFF969696u);
  int white = 0;
  for (int y = tip.y + 2; y < tip.y + tip.h - 2; ++y)
    for (int x = tip.x + 2; x < tip.x + tip.w - 2; ++x) white += at(x, y) == 0xFFFFFFFFu;
  EXPECT_GT(white, 40);

  canvas->mouseUp({202, 36}, false);
  vertical->hideTip();
  canvas->idle();
  EXPECT_EQ(at(tip.x + tip.w - 6, tip.y + tip.h - 6), paneColour(0, tip.y + tip.h - 6)) << "the pane under the tip again";
}

}  // namespace
