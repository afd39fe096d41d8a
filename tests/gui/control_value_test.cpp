// Readout texts by unit kind and the position <-> value rule of the control base.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "gui/cauguictrl.h"

namespace {

std::string text(int kind, float value) {
  char buffer[kValueTextSize];
  buffer[0] = 'x';
  formatValueText(kind, value, buffer, sizeof buffer);
  return buffer;
}

struct TextCase {
  int kind;
  float value;
  const char* expected;
};

TEST(ValueText, EveryKind) {
  const TextCase cases[] = {
      {0, 0.2f, "2.00000 Vv"},
      {1, 0.0f, "-200 dB Attenuation"},
      {1, 1.0f, "0.0000 dB Attenuation"},
      {1, 0.1f, "-20.0000 dB Attenuation"},
      {2, 4.0f, "4.0000 Vv"},
      {3, 0.1f, "0.1000 seconds"},
      {3, 3.46f, "2.0000 seconds"},
      {4, 0.5f, "0.50000 Vv"},
      {5, 0.5f, "50.0000%"},
      {6, 1.01f, "0.00 dB Attenuation"},  // a hair below zero, printed without a minus sign
      {6, 0.11f, "-20.00 dB Attenuation"},
      {6, 0.01f, "-200 dB Attenuation"},
      {6, 0.0f, "-200 dB Attenuation"},
      {7, 0.5f, "0.5000 Q"},
      {8, 0.0f, "100% Left"},
      {8, 1.0f, "100% Right"},
      {8, 0.5f, "100.0% Left  100.0% Right"},
      {8, 0.75f, "70.7% Left  100.0% Right"},
      {8, 0.25f, "100.0% Left  70.7% Right"},
      {9, 0.0f, "100% White"},
      {9, 1.0f, "100% Red"},
      {9, 0.25f, "75.00% White 25.00% Red"},
      {10, 1.0f, "1.000000"},
      {11, 5.0f, "-6.1961 dB Attenuation"},
      {11, 0.0f, "-200 dB Attenuation"},
      {12, 1600.0f, "1600.000 Hz"},
      {13, 0.5f, "2.000 Hz"},
      {13, 0.0f, "0.000 Hz"},
      {14, 2.0f, "2.0000 seconds"},
      {-1, 0.5f, ""},
      {15, 0.5f, ""},
  };
  for (const TextCase& c : cases)
    EXPECT_EQ(text(c.kind, c.value), c.expected) << "kind " << c.kind << " value " << c.value;
}

TEST(ValueText, ControlsReadTheirParametersKind) {
  // Parameter 45 is the mixer pan; 81 (voices) and the cords have no readout.
  CAUGuiCtrl pan(nullptr, bindingFor(45, nullptr), {0, 0, 10, 10}, 1000);
  CAUGuiCtrl voices(nullptr, bindingFor(81, nullptr), {0, 0, 10, 10}, 10);
  CAUGuiCtrl cord(nullptr, bindingFor(120, nullptr), {0, 0, 10, 10}, 100);
  char buffer[kValueTextSize] = "unchanged";
  pan.valueText(0.5f, buffer);
  EXPECT_STREQ(buffer, "100.0% Left  100.0% Right");
  EXPECT_EQ(voices.unitKind(), -1);
  EXPECT_EQ(cord.unitKind(), -1);
  voices.valueText(3.0f, buffer);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(unitKindFor(5), 0);
  EXPECT_EQ(unitKindFor(57), 13);
  EXPECT_EQ(unitKindFor(75), 1);
  EXPECT_EQ(unitKindFor(76), -1);
}

// A control bound to `index` whose travel is range x resolution, as the canvas sets it.
struct Travel {
  explicit Travel(int index, int resolution)
      : ctrl(nullptr, bindingFor(index, nullptr), {0, 0, 10, 10}, resolution) {
    ctrl.setMaxPosition(static_cast<int>(std::lround(ctrl.range() * resolution)));
  }
  CAUGuiCtrl ctrl;
};

TEST(PositionValue, EveryParameterRoundTrips) {
  // Over the real table: each position read back from its value is the same position, so a
  // control never creeps a step on a round trip.
  int checked = 0;
  for (int index = 1; index < kParamRecordCount; ++index) {
    for (int resolution : {1, 10, 100, 1000}) {
      Travel t(index, resolution);
      const int steps = t.ctrl.maxPosition();
      // A travel finer than a float value can tell apart is not one a panel control has.
      if (steps <= 0 || steps > 1000000) continue;
      const int stride = steps > 20000 ? steps / 20000 : 1;
      for (int p = 0; p <= steps; p += stride) {
        ASSERT_EQ(t.ctrl.positionForValue(t.ctrl.valueForPosition(p)), p)
            << "parameter " << index << " resolution " << resolution;
        ++checked;
      }
      ASSERT_EQ(t.ctrl.positionForValue(t.ctrl.valueForPosition(steps)), steps) << "parameter " << index;
    }
  }
  EXPECT_GT(checked, 100000);
}

TEST(PositionValue, EndsOfTheTravel) {
  for (int index : {25, 33}) {  // linear resonance, logarithmic attack time
    Travel t(index, 1000);
    const ParamDesc& d = t.ctrl.binding().desc;
    EXPECT_EQ(t.ctrl.positionForValue(d.minimum), 0) << index;
    EXPECT_EQ(t.ctrl.positionForValue(d.maximum), t.ctrl.maxPosition()) << index;
    EXPECT_FLOAT_EQ(t.ctrl.valueForPosition(0), d.minimum) << index;
  }
  // A logarithmic control spreads four decades over its travel: a quarter of the way up is
  // (10^-2 - 0.001) / 10 of the range above the minimum.
  Travel attack(33, 1000);
  const float quarter = attack.ctrl.valueForPosition(attack.ctrl.maxPosition() / 4);
  EXPECT_NEAR((quarter - 0.003f) / (100.0f - 0.003f), (0.01 - 0.001) / 10.0, 1e-6);
}

TEST(PositionValue, RoundsToTheNearestStep) {
  // Two thirds of three steps computes as 1.99999...: the nearest step is 2.
  EXPECT_EQ(positionForValue(2.0f / 3.0f, 0.0f, 1.0f, 3, false), 2);
  EXPECT_EQ(positionForValue(0.499f, 0.0f, 1.0f, 1, false), 0);
  EXPECT_EQ(positionForValue(0.501f, 0.0f, 1.0f, 1, false), 1);
}

TEST(PositionValue, DegenerateControlsGiveTheMinimum) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(positionForValue(0.5f, 0.0f, 0.0f, 100, false), 0);  // no range
  EXPECT_EQ(positionForValue(0.5f, 0.0f, 0.0f, 100, true), 0);
  EXPECT_EQ(positionForValue(0.5f, 0.0f, 1.0f, 0, false), 0);  // no travel
  EXPECT_EQ(valueForPosition(5, 0.25f, 1.0f, 0, true), 0.25f);
  EXPECT_EQ(positionForValue(nan, 0.0f, 1.0f, 100, false), 0);
  // Below the minimum of a logarithmic control: the bottom of the travel, not a NaN.
  EXPECT_EQ(positionForValue(-5.0f, 0.003f, 100.0f, 1000, true), 0);
  EXPECT_EQ(positionForValue(500.0f, 0.003f, 100.0f, 1000, true), 1000);
}

TEST(PositionValue, SetValueAndSetPositionStayInTheTravel) {
  Travel t(25, 100);  // 0..1, 100 steps
  t.ctrl.setValue(2.0f);
  EXPECT_EQ(t.ctrl.position(), 100);
  EXPECT_EQ(t.ctrl.value(), 2.0f);  // the plug-in's value is kept as given
  t.ctrl.setPosition(-7);
  EXPECT_EQ(t.ctrl.position(), 0);
  EXPECT_EQ(t.ctrl.value(), 0.0f);
  t.ctrl.setPosition(150);
  EXPECT_EQ(t.ctrl.position(), 100);
  EXPECT_FLOAT_EQ(t.ctrl.value(), 1.0f);
}

}  // namespace
