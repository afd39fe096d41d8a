// The standard controls driven by the mouse as the canvas passes it on: what each press,
// drag and release does to the position, what reaches the plug-in and the callbacks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "gui/cauguibutton.h"
#include "gui/cauguiknob.h"
#include "gui/cauguimeter.h"
#include "gui/cauguislider.h"
#include "tests/gui/controls_fixture.h"

namespace {

// ---- buttons ----

struct ButtonCase {
  const char* name;
  int mode;
  int maxPosition;
  int start;
  bool releaseInside;
  int afterPress;
  int afterRelease;
  std::vector<int> callbacks;  // values, in order
};

void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.name; }

class ButtonModes : public ControlsFixture, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonModes, PressAndRelease) {
  const ButtonCase& c = GetParam();
  auto* b = add(new CAUGuiButton(canvas.get(), c.maxPosition, {10, 10, 20, 20}, nullptr, nullptr, c.mode));
  std::vector<int> heard;
  b->setCallback([](int v, CAUGuiButton*, void* ctx) { static_cast<std::vector<int>*>(ctx)->push_back(v); }, &heard);
  b->setFixedValue(2);
  b->setValue(static_cast<float>(c.start));
  ASSERT_EQ(b->position(), c.start);

  EXPECT_EQ(b->mouseDown({15, 15}, false, false), kHandled);
  EXPECT_TRUE(b->isPressed());
  EXPECT_EQ(b->position(), c.afterPress);
  const GuiPoint up = c.releaseInside ? GuiPoint{16, 16} : GuiPoint{60, 60};
  EXPECT_EQ(b->mouseUp(up, false, false), kHandled);
  EXPECT_FALSE(b->isPressed());
  EXPECT_EQ(b->position(), c.afterRelease);
  EXPECT_EQ(heard, c.callbacks);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, ButtonModes,
    ::testing::Values(
        ButtonCase{"momentaryClick", CAUGuiButton::kMomentary, 1, 0, true, 1, 0, {0}},
        ButtonCase{"momentaryReleasedOutsideIsCancelled", CAUGuiButton::kMomentary, 1, 0, false, 1, 0, {}},
        ButtonCase{"cycleUpFromZero", CAUGuiButton::kCycleUp, 3, 0, true, 1, 1, {1}},
        ButtonCase{"cycleUpAtMaximumWraps", CAUGuiButton::kCycleUp, 3, 3, true, 0, 0, {0}},
        ButtonCase{"stepDown", CAUGuiButton::kStepDown, 3, 2, false, 1, 1, {1}},
        ButtonCase{"stepDownAtZeroWraps", CAUGuiButton::kStepDown, 3, 0, true, 3, 3, {3}},
        ButtonCase{"fixedValue", CAUGuiButton::kFixedValue, 3, 0, true, 2, 2, {2}},
        ButtonCase{"toggleOn", CAUGuiButton::kToggle, 1, 0, true, 1, 1, {1}},
        ButtonCase{"toggleOff", CAUGuiButton::kToggle, 1, 1, false, 0, 0, {0}},
        ButtonCase{"momentaryWithCallbacks", CAUGuiButton::kMomentaryWithCallbacks, 1, 0, true, 1, 0, {1, 0}},
        ButtonCase{"momentaryWithCallbacksAlwaysReleases", CAUGuiButton::kMomentaryWithCallbacks, 1, 0, false, 1, 0,
                   {1, 0}}),
    [](const ::testing::TestParamInfo<ButtonCase>& info) { return std::string(info.param.name); });

using Buttons = ControlsFixture;

TEST_F(Buttons, ADisabledButtonIgnoresTheMouse) {
  auto* b = add(new CAUGuiButton(canvas.get(), 1, {0, 0, 10, 10}, nullptr, nullptr, CAUGuiButton::kToggle));
  int calls = 0;
  b->setCallback([](int, CAUGuiButton*, void* ctx) { ++*static_cast<int*>(ctx); }, &calls);
  b->setEnabled(false);
  b->mouseDown({5, 5}, false, false);
  b->mouseUp({5, 5}, false, false);
  EXPECT_EQ(b->position(), 0);
  EXPECT_FALSE(b->isPressed());
  EXPECT_EQ(calls, 0);
}

TEST_F(Buttons, ABoundToggleReportsEachSwitch) {
  auto* b = add(new CAUGuiButton(canvas.get(), bindingFor(61, &plugin), {0, 0, 9, 24}, nullptr, nullptr,
                                 CAUGuiButton::kToggle));
  b->mouseDown({4, 4}, false, false);
  b->mouseUp({4, 4}, false, false);
  b->mouseDown({4, 4}, false, false);
  ASSERT_EQ(plugin.automated.size(), 2u);
  EXPECT_EQ(plugin.automated[0], (std::pair<int32_t, float>{61, 1.0f}));
  EXPECT_EQ(plugin.automated[1], (std::pair<int32_t, float>{61, 0.0f}));
}

// ---- knobs ----

// A knob of 1000 steps over parameter 5 (0..1, default 0.2), centred at (120, 120).
struct Knobs : ControlsFixture {
  CAUGuiKnob* knob = add(new CAUGuiKnob(canvas.get(), bindingFor(5, &plugin), {100, 100, 40, 40}, 1000, nullptr,
                                        nullptr, 1, -0.375f, 0.375f));
  // Far out, so that whole pixels give the angle to a hundredth of a degree.
  static GuiPoint at(double degrees, double radius = 1000) {
    const double a = degrees * 3.14159265358979323846 / 180.0;
    return {int16_t(std::lround(120 + radius * std::sin(a))), int16_t(std::lround(120 - radius * std::cos(a)))};
  }
};

TEST_F(Knobs, ThePressGrabsTheKnobWhereItIs) {
  knob->setValue(0.3f);
  knob->mouseDown(at(90), false, false);  // well off the pointer
  EXPECT_EQ(knob->position(), 300);
  EXPECT_TRUE(plugin.automated.empty());
  knob->mouseDrag(at(117), false, false);  // 27 degrees on: a tenth of the travel
  EXPECT_EQ(knob->position(), 400);
}

TEST_F(Knobs, AnglesAcrossTheTravelAndTheDeadZone) {
  knob->setValue(0.5f);
  knob->mouseDown(at(0), false, false);  // the top is the middle of the travel
  struct {
    double degrees;
    int position;
  } path[] = {
      {-135, 0},   // lower left
      {0, 500},    // top
      {135, 1000}, // lower right
      {170, 1000}, // into the dead zone below
      {-170, 1000},// across straight down: still the end it came from
      {-120, 56},  // back into the travel on the left
      {-179, 0},   // and down again on the left side
  };
  for (const auto& step : path) {
    knob->mouseDrag(at(step.degrees), false, false);
    EXPECT_EQ(knob->position(), step.position) << step.degrees << " degrees";
  }
  knob->mouseUp(at(-179), false, false);
  EXPECT_FALSE(knob->isDragging());
}

TEST_F(Knobs, FineDragIsOneStepPerPixelToTheRight) {
  knob->setValue(0.5f);
  knob->mouseDown({120, 110}, false, true);
  knob->mouseDrag({127, 140}, false, true);
  EXPECT_EQ(knob->position(), 507);
  knob->mouseDrag({124, 90}, false, true);
  EXPECT_EQ(knob->position(), 504);
}

TEST_F(Knobs, AltClickResetsToTheDefaultAndAltDuringADragDoesNotJump) {
  knob->setValue(0.9f);
  knob->mouseDown(at(0), true, false);
  EXPECT_EQ(knob->position(), 200);
  ASSERT_FALSE(plugin.automated.empty());
  EXPECT_FLOAT_EQ(plugin.automated.back().second, 0.2f);
  knob->mouseUp(at(0), true, false);

  knob->mouseDown(at(0), false, false);
  knob->mouseDrag(at(27), true, false);
  knob->mouseDrag(at(27), true, false);
  EXPECT_EQ(knob->position(), 300);
}

TEST_F(Knobs, ASelectorFollowsTheHeightOfItsImage) {
  auto* selector = add(new CAUGuiKnob(canvas.get(), bindingFor(63, &plugin), {300, 300, 30, 60}, 1, nullptr, nullptr,
                                      0, -0.375f, 0.375f));
  ASSERT_EQ(selector->maxPosition(), 2);
  selector->setValue(selector->valueForPosition(1));
  selector->mouseDown({315, 330}, false, false);
  selector->mouseDrag({315, 300}, false, false);
  EXPECT_EQ(selector->position(), 2);
  selector->mouseDrag({315, 361}, false, false);
  EXPECT_EQ(selector->position(), 0);
}

// ---- sliders ----

// A vertical slider of 1000 steps over parameter 2 (0..1), its travel 10 pixels inside each end.
struct Sliders : ControlsFixture {
  CAUGuiSlider* make(bool inverted) {
    auto* s = add(new CAUGuiSlider(canvas.get(), bindingFor(2, &plugin), {0, 0, 24, 85}, CAUGuiSlider::kVertical,
                                   1000, nullptr, nullptr));
    s->insetImageRect(0, 10, 0, 10);
    s->setInverted(inverted);
    return s;
  }
};

TEST_F(Sliders, DraggedPastTheEndsReadsTheEnds) {
  for (bool inverted : {false, true}) {
    CAUGuiSlider* s = make(inverted);
    s->setValue(0.5f);
    s->mouseDown({12, 42}, false, false);
    EXPECT_EQ(s->position(), 500) << "the press moves nothing";
    s->mouseDrag({12, -40}, false, false);
    EXPECT_EQ(s->position(), inverted ? 0 : 1000) << "above, inverted " << inverted;
    s->mouseDrag({12, 200}, false, false);
    EXPECT_EQ(s->position(), inverted ? 1000 : 0) << "below, inverted " << inverted;
    s->mouseUp({12, 200}, false, false);
    EXPECT_FALSE(s->isDragging());
  }
}

TEST_F(Sliders, AnInvertedSliderMovesAgainstThePointer) {
  CAUGuiSlider* s = make(true);
  s->setValue(0.5f);
  s->mouseDown({12, 42}, false, false);
  s->mouseDrag({12, 29}, false, false);  // 13 pixels up: a fifth of the 65-pixel travel
  EXPECT_EQ(s->position(), 300);
  EXPECT_FLOAT_EQ(plugin.automated.back().second, 0.3f);
}

TEST_F(Sliders, FineDragMovesOneStepPerTwoPixels) {
  CAUGuiSlider* s = make(false);
  s->setValue(0.5f);
  s->mouseDown({12, 40}, false, true);
  s->mouseDrag({12, 39}, false, true);
  EXPECT_EQ(s->position(), 500) << "a 1-pixel move changes nothing";
  s->mouseDrag({12, 38}, false, true);
  EXPECT_EQ(s->position(), 501);
  s->mouseDrag({12, 29}, false, true);
  EXPECT_EQ(s->position(), 505);
  s->mouseDrag({12, 50}, false, true);
  EXPECT_EQ(s->position(), 495);
}

TEST_F(Sliders, AltClickSetsTheDefaultAndAltDragDoesNotJump) {
  CAUGuiSlider* s = make(false);
  s->setValue(0.7f);
  s->mouseDown({12, 42}, true, false);
  EXPECT_EQ(s->position(), 0);  // parameter 2's default
  EXPECT_FALSE(s->isDragging());
  s->mouseUp({12, 42}, true, false);

  s->setValue(0.7f);
  s->mouseDown({12, 42}, false, false);
  s->mouseDrag({12, 29}, true, false);
  EXPECT_EQ(s->position(), 900);
}

TEST_F(Sliders, ASliderWithoutTravelStaysPut) {
  auto* s = add(new CAUGuiSlider(canvas.get(), bindingFor(2, &plugin), {0, 0, 24, 85}, CAUGuiSlider::kVertical, 0,
                                 nullptr, nullptr));
  ASSERT_EQ(s->maxPosition(), 0);
  s->mouseDown({12, 40}, false, false);
  s->mouseDrag({12, 0}, false, false);
  EXPECT_EQ(s->position(), 0);
}

// ---- tips ----

TEST(SliderTip, FrequencyPairsAndReadouts) {
  char text[kValueTextSize];
  const float half = 0.5f, on = 1.0f, off = 0.0f;
  formatSliderTip(0, 0.5f, &half, &on, "VCO1 Coarse Freq", text, sizeof text);
  EXPECT_STREQ(text, "320.000 Hz : 5.0000 Vv");
  formatSliderTip(4, 0.5f, &half, &off, "VCO1 Fine Freq", text, sizeof text);
  EXPECT_STREQ(text, "0.960 Hz : 5.0000 Vv");
  const float full = 1.0f;
  formatSliderTip(4, 1.0f, &full, nullptr, "VCF Fine Freq", text, sizeof text);
  EXPECT_STREQ(text, "14481.547 Hz : 10.5000 Vv");
  formatSliderTip(0, 0.5f, nullptr, nullptr, "VCO1 Coarse Freq", text, sizeof text);
  EXPECT_STREQ(text, "5.00000 Vv") << "without a partner, the plain readout";
  formatSliderTip(1, 0.5f, nullptr, nullptr, "Ring Mod 1", text, sizeof text);
  EXPECT_STREQ(text, "-6.02 dB Attenuation");
  formatSliderTip(1, 0.0f, nullptr, nullptr, "Ring Mod 1", text, sizeof text);
  EXPECT_STREQ(text, "-200 dB Attenuation");
  formatSliderTip(7, 2.5f, nullptr, nullptr, "VCF Resonance", text, sizeof text);
  EXPECT_STREQ(text, "2.50000 Q");
  formatSliderTip(-1, 0.5f, nullptr, nullptr, "Master Bypass", text, sizeof text);
  EXPECT_STREQ(text, "Master Bypass");
}

// ---- meters ----

TEST(MeterShare, Blocks) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct {
    const char* what;
    int mode;
    float value, frames;
    float share;
  } cases[] = {
      {"level of a 0-frame block", CAUGuiMeter::kLevel, 3.0f, 0.0f, 0.0f},
      {"level of a silent block", CAUGuiMeter::kLevel, 0.0f, 512.0f, 0.0f},
      {"level at RMS 0.2", CAUGuiMeter::kLevel, 512.0f * 0.04f, 512.0f, 0.5f},
      {"level of a clipping block", CAUGuiMeter::kLevel, 512.0f * 4.0f, 512.0f, 1.0f},
      {"level not a number", CAUGuiMeter::kLevel, nan, 512.0f, 0.0f},
      // 512 frames at 44100 Hz last 11.61 ms: a quarter of that is 29025 ticks at 10 MHz.
      {"load of a quarter", CAUGuiMeter::kLoad, 29024.94f, 512.0f, 0.25f},
      {"load of a 0-frame block", CAUGuiMeter::kLoad, 5000.0f, 0.0f, 0.0f},
      {"load over budget", CAUGuiMeter::kLoad, 1.0e6f, 512.0f, 1.0f},
      {"raw light", CAUGuiMeter::kRaw, 1.0f, 0.0f, 1.0f},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(meterShare(c.mode, c.value, c.frames, 1.0e7, 44100.0), c.share, 1e-6) << c.what;
}

using Meters = ControlsFixture;

TEST_F(Meters, AMeterFollowsTheBlockWithoutReporting) {
  auto* level = add(new CAUGuiMeter(canvas.get(), 0, {803, 6, 80, 6}, 100, nullptr, nullptr, CAUGuiMeter::kLevel));
  auto* load = add(new CAUGuiMeter(canvas.get(), 2, {923, 6, 80, 12}, 100, nullptr, nullptr, CAUGuiMeter::kLoad));
  level->clearDirty();
  load->clearDirty();
  plugin.meters[0] = 512.0f * 0.04f;
  plugin.meters[2] = 29025.0f * 2;  // half the block's real time
  EXPECT_TRUE(level->needsRedraw());
  EXPECT_EQ(level->position(), 50);
  EXPECT_EQ(load->position(), 50);
  level->clearDirty();
  load->clearDirty();
  EXPECT_FALSE(level->needsRedraw()) << "same steps, nothing to redraw";

  plugin.meters[3] = 0.0f;  // a 0-frame block
  level->needsRedraw();
  EXPECT_EQ(level->position(), 0);
  EXPECT_EQ(load->position(), 0);
  EXPECT_TRUE(plugin.automated.empty());
}

}  // namespace
