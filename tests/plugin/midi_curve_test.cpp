#include "plugin/midi_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "params/param_ids.h"

namespace {

// Positions derived by hand from the mapping's definition. A seven-bit value v through the
// range low..high lands at (low + (high + 1 - low) x h) / 128, where h is v / 127 (linear),
// (10^(v / 127) - 1) / 9 (exponential) or log10(1 + 9 v / 127) (logarithmic), v inverted to
// 127 - v first when the source says so; positions are 32-bit fractions, so the top of the
// full range is 2^32 / (2^32 - 1), a hair above 1. A fourteen-bit value d does the same with
// d / 16383 and the range's top at the end of its last unit. The curves' own constants
// stop them a few parts in 10^7 short of their exact shape.
struct Anchor {
  const char* why;
  bool fourteen;
  int value;
  float low, high;
  int curve;
  bool invert;
  double position;
};
constexpr double kTop = 4294967296.0 / 4294967295.0;
constexpr Anchor kAnchors[] = {
    {"bottom of the full range", false, 0, 0, 127, 0, false, 0.0},
    {"top of the full range", false, 127, 0, 127, 0, false, kTop},
    {"64 / 127 of the way", false, 64, 0, 127, 0, false, 64.0 / 127.0 * kTop},
    {"inverted: 127 lands at the bottom", false, 127, 0, 127, 0, true, 0.0},
    {"inverted: 63 as 64", false, 63, 0, 127, 0, true, 64.0 / 127.0 * kTop},
    {"exponential top", false, 127, 0, 127, 1, false, kTop},
    {"exponential 64: (10^(64/127) - 1) / 9", false, 64, 0, 127, 1, false, 0.24345277482596},
    {"logarithmic 14: log10(1 + 126/127)", false, 14, 0, 127, 2, false, 0.29931680028955},
    {"logarithmic top", false, 127, 0, 127, 2, false, kTop},
    {"range 32..95 at 0: 32 / 128", false, 0, 32, 95, 0, false, 0.25 * kTop},
    {"range 32..95 at 64", false, 64, 32, 95, 0, false, (32.0 + 64.0 * 64.0 / 127.0) / 128.0 * kTop},
    {"fractional range top: 101.25 / 128", false, 127, 10.5f, 100.25f, 0, false, 101.25 / 128.0 * kTop},
    {"reversed range 100..20 at 0", false, 0, 100, 20, 0, false, 100.0 / 128.0 * kTop},
    {"reversed range 100..20 at 127: 21 / 128", false, 127, 100, 20, 0, false, 21.0 / 128.0 * kTop},
    {"bend bottom", true, 0, 0, 127, 0, false, 0.0},
    {"bend top", true, 16383, 0, 127, 0, false, 1.0},
    {"bend centre through 53..74: (53 + 22 x 8192/16383) / 128", true, 8192, 53, 74, 0, false,
     (53.0 + 22.0 * 8192.0 / 16383.0) / 128.0},
    {"bend inverted centre", true, 8191, 53, 74, 0, true, (53.0 + 22.0 * 8192.0 / 16383.0) / 128.0},
    {"bend exponential centre: (10^(8192/16383) - 1) / 9", true, 8192, 0, 127, 1, false, 0.24027776584918},
    {"bend logarithmic 4096: log10(1 + 9 x 4096/16383)", true, 4096, 0, 127, 2, false, 0.51190171287157},
};

// Parameters of four shapes: VCF Coarse Freq 0..1, Pitch Bend -2..2, ADSR Attack Time
// 0.003..100 logarithmic, Voices 0..8 in whole numbers.
struct Param {
  int index;
  double minimum, maximum;
  bool logarithmic, whole;
};
constexpr Param kParams[] = {
    {kParamVcfCoarse, 0.0, 1.0, false, false},
    {kParamPitchBend, -2.0, 2.0, false, false},
    {kParamAdsrAttack, 0.003, 100.0, true, false},
    {kParamVoices, 0.0, 8.0, false, true},
};

double plainOf(const Param& p, double position) {
  double v = p.logarithmic ? std::exp(std::log(p.minimum) +
                                      position * (std::log(p.maximum) - std::log(p.minimum)))
                           : p.minimum + position * (p.maximum - p.minimum);
  v = std::fmin(std::fmax(v, p.minimum), p.maximum);
  return p.whole ? std::round(v) : v;
}

// What the single-precision result may differ by: relative on a logarithmic scale, else a
// millionth of the parameter's range.
double tolerance(const Param& p, double expected) {
  return p.logarithmic ? 1e-5 * expected : 1e-6 * (p.maximum - p.minimum);
}

// Each anchor's position, and the plain value each parameter shape makes of it. The
// fourteen-bit position passes through single precision: a few parts in 10^8.
TEST(MidiCurve, AnchorPositionsAndTheirPlainValues) {
  for (const Anchor& a : kAnchors) {
    SCOPED_TRACE(a.why);
    const MidiSourceSetting s{a.low, a.high, a.curve, a.invert ? 1 : 0};
    const double position = a.fourteen ? midiPosition14(a.value, s) : midiPosition7(a.value, s);
    EXPECT_NEAR(position, a.position, a.curve != 0 ? 1e-6 : a.fourteen ? 1e-7 : 1e-9);
    for (const Param& p : kParams) {
      const double expected = plainOf(p, position);
      const float plain = a.fourteen ? mapCurve14(a.value, s, p.index) : mapCurve(a.value, s, p.index);
      EXPECT_NEAR(plain, expected, tolerance(p, expected)) << "param " << p.index;
    }
  }
}

// The logarithmic parameter halfway: the geometric mean of its ends, sqrt(0.003 x 100).
TEST(MidiCurve, LogarithmicParameterHalfwayIsTheGeometricMean) {
  const MidiSourceSetting half{0, 63, 0, 0};  // 127 reaches 64 / 128
  EXPECT_NEAR(mapCurve(127, half, kParamAdsrAttack), std::sqrt(0.3), 1e-5);
}

TEST(MidiCurve, EndsOfTheFullRangeOnAUnitParameter) {
  const MidiSourceSetting full{0, 127, 0, 0};
  EXPECT_EQ(mapCurve(127, full, kParamVcfCoarse), 1.0f);
  EXPECT_EQ(mapCurve(0, full, kParamVcfCoarse), 0.0f);
  EXPECT_DOUBLE_EQ(midiPosition7(127, full), 4294967296.0 / 4294967295.0);
  const MidiSourceSetting inverted{0, 127, 0, 1};
  EXPECT_EQ(mapCurve(0, inverted, kParamVcfCoarse), 1.0f);
  EXPECT_EQ(mapCurve(127, inverted, kParamVcfCoarse), 0.0f);
  // A range low..high maps 0 to low / 128 and 127 to (high + 1) / 128.
  const MidiSourceSetting part{32, 95, 0, 0};
  EXPECT_NEAR(midiPosition7(0, part), 0.25, 1e-9);
  EXPECT_NEAR(midiPosition7(127, part), 0.75, 1e-9);
}

TEST(MidiCurve, PitchBendThroughTheDefaultRange) {
  const MidiSourceSetting bend{53, 74, 0, 0};
  EXPECT_NEAR(mapCurve14(0, bend, kParamPitchBend), -2.0 + 4.0 * 53.0 / 128.0, 1e-6);     // -0.34375
  EXPECT_NEAR(mapCurve14(8192, bend, kParamPitchBend), 0.0, 1e-4);                         // the centre
  EXPECT_NEAR(mapCurve14(16383, bend, kParamPitchBend), -2.0 + 4.0 * 75.0 / 128.0, 1e-6);  // +0.34375
  const MidiSourceSetting inverted{53, 74, 0, 1};
  EXPECT_NEAR(mapCurve14(16383, inverted, kParamPitchBend), -0.34375, 1e-6);
  EXPECT_NEAR(mapCurve14(0, inverted, kParamPitchBend), 0.34375, 1e-6);
}

// A pitch-bend range whose low end lies above its high end runs downwards between the two
// ends, as the seven-bit mapping does; it must not wrap around past the parameter's top.
TEST(MidiCurve, ReversedPitchBendRangeRunsDownwards) {
  const MidiSourceSetting reversed{74, 53, 0, 0};
  double previous = 2.0;
  for (int d = 0; d <= 16383; d += 91) {
    const double p = midiPosition14(d, reversed);
    EXPECT_LE(p, previous) << d;
    EXPECT_GE(p, 53.0 / 128.0) << d;
    EXPECT_LE(p, 74.0 / 128.0 + 1e-9) << d;
    previous = p;
  }
  EXPECT_NEAR(mapCurve14(0, reversed, kParamPitchBend), -2.0 + 4.0 * 74.0 / 128.0, 1e-6);
}

TEST(MidiCurve, ValuesBeyondTheirWidthAreClamped) {
  const MidiSourceSetting s{0, 127, 1, 0};
  EXPECT_EQ(midiPosition7(200, s), midiPosition7(127, s));
  EXPECT_EQ(midiPosition7(-5, s), midiPosition7(0, s));
  EXPECT_EQ(midiPosition14(20000, s), midiPosition14(16383, s));
  EXPECT_EQ(midiPosition14(-1, s), midiPosition14(0, s));
  // A range end beyond 0..127 is taken as the nearest end.
  const MidiSourceSetting wide{-10, 500, 0, 0};
  EXPECT_EQ(midiPosition14(16383, wide), midiPosition14(16383, MidiSourceSetting{0, 127, 0, 0}));
  EXPECT_EQ(mapCurve(64, s, 0), 0.0f);    // no parameter
  EXPECT_EQ(mapCurve(64, s, 179), 0.0f);  // the terminator
}

}  // namespace
