#include "plugin/midi_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace {

// Reference model written from the mapping's equations, in double precision except where
// the mapping itself rounds: the fourteen-bit exponential power and position are single.
double curve7(double g, int curve) {
  if (curve == 1) return (std::pow(10.0, g / 127.00001) - 1.0) / 9.0;
  if (curve == 2) return std::log10(g / 14.11112 + 1.0);
  return g / 127.0;
}

double reference7(int v, float low, float high, int curve, bool invert) {
  const double h = curve7(invert ? 127 - v : v, curve);
  const double a = low * 33554432.0;
  const double b = high * 33554432.0 + 33554432.0;
  return ((b - a) * h + a) / 4294967295.0;
}

double reference14(int d, float low, float high, int curve, bool invert) {
  const double l = invert ? 16383 - d : d;
  double h = l / 16383.00001;
  if (curve == 1) h = (std::pow(10.0f, static_cast<float>(l / 16383.00001)) - 1.0) / 9.0;
  if (curve == 2) h = std::log10(l / 1820.33334 + 1.0);
  const double lo = std::trunc(low * 33554432.0);
  const double top = std::floor(high) * 33554432.0 + 33554431.0;  // high end, low 25 bits set
  return static_cast<float>((top - lo) * h + lo) / 4294967295.0;
}

// Parameters of four shapes: VCF Coarse Freq 0..1, Pitch Bend -2..2, ADSR Attack Time
// 0.003..100 logarithmic, Voices 0..8 in whole numbers.
struct Param {
  int index;
  double minimum, maximum;
  bool logarithmic, whole;
};
constexpr Param kParams[] = {
    {23, 0.0, 1.0, false, false},
    {71, -2.0, 2.0, false, false},
    {33, 0.003, 100.0, true, false},
    {81, 0.0, 8.0, false, true},
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

struct Range {
  float low, high;
};
constexpr Range kRanges[] = {{0, 127}, {53, 74}, {10.5f, 100.25f}, {100, 20}};

// One width of MIDI value: its reference, the code's position and plain-value mappings, the
// values tried and how closely the positions must agree.
struct Width {
  double (*reference)(int, float, float, int, bool);
  double (*position)(int, const MidiSourceSetting&);
  float (*plain)(int, const MidiSourceSetting&, int);
  std::initializer_list<int> values;
  double positionTolerance;
};

void checkGoldenTable(const Width& w) {
  for (const Param& p : kParams)
    for (const Range& r : kRanges)
      for (int curve : {0, 1, 2})
        for (bool invert : {false, true})
          for (int v : w.values) {
            const MidiSourceSetting s{r.low, r.high, curve, invert ? 1 : 0};
            const double position = w.reference(v, r.low, r.high, curve, invert);
            const double expected = plainOf(p, position);
            SCOPED_TRACE(testing::Message() << "param " << p.index << " range " << r.low << ".."
                                            << r.high << " curve " << curve << " invert "
                                            << invert << " value " << v);
            EXPECT_NEAR(w.position(v, s), position, w.positionTolerance);
            EXPECT_NEAR(w.plain(v, s, p.index), expected, tolerance(p, expected));
          }
}

TEST(MidiCurve, SevenBitGoldenTable) {
  checkGoldenTable({reference7, midiPosition7, mapCurve, {0, 1, 31, 64, 100, 126, 127}, 1e-12});
}

// The position passes through single precision: a few parts in 10^8.
TEST(MidiCurve, FourteenBitGoldenTable) {
  checkGoldenTable({reference14, midiPosition14, mapCurve14,
                    {0, 1, 4096, 8192, 12000, 16382, 16383}, 1e-7});
}

TEST(MidiCurve, EndsOfTheFullRangeOnAUnitParameter) {
  const MidiSourceSetting full{0, 127, 0, 0};
  EXPECT_EQ(mapCurve(127, full, 23), 1.0f);
  EXPECT_EQ(mapCurve(0, full, 23), 0.0f);
  EXPECT_DOUBLE_EQ(midiPosition7(127, full), 4294967296.0 / 4294967295.0);
  const MidiSourceSetting inverted{0, 127, 0, 1};
  EXPECT_EQ(mapCurve(0, inverted, 23), 1.0f);
  EXPECT_EQ(mapCurve(127, inverted, 23), 0.0f);
  // A range low..high maps 0 to low / 128 and 127 to (high + 1) / 128.
  const MidiSourceSetting part{32, 95, 0, 0};
  EXPECT_NEAR(midiPosition7(0, part), 0.25, 1e-9);
  EXPECT_NEAR(midiPosition7(127, part), 0.75, 1e-9);
}

TEST(MidiCurve, PitchBendThroughTheDefaultRange) {
  const MidiSourceSetting bend{53, 74, 0, 0};
  EXPECT_NEAR(mapCurve14(0, bend, 71), -2.0 + 4.0 * 53.0 / 128.0, 1e-6);     // -0.34375
  EXPECT_NEAR(mapCurve14(8192, bend, 71), 0.0, 1e-4);                         // the centre
  EXPECT_NEAR(mapCurve14(16383, bend, 71), -2.0 + 4.0 * 75.0 / 128.0, 1e-6);  // +0.34375
  const MidiSourceSetting inverted{53, 74, 0, 1};
  EXPECT_NEAR(mapCurve14(16383, inverted, 71), -0.34375, 1e-6);
  EXPECT_NEAR(mapCurve14(0, inverted, 71), 0.34375, 1e-6);
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
  EXPECT_NEAR(mapCurve14(0, reversed, 71), -2.0 + 4.0 * 74.0 / 128.0, 1e-6);
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
