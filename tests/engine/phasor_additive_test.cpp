// The shared phase record, the table sine, the additive triangle and the switching
// triangle.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "engine/lookup_tables.h"
#include "engine/minblep_osc.h"
#include "engine/minblep_table.h"
#include "engine/osc_additive.h"
#include "engine/osc_fade.h"
#include "engine/osc_phasor.h"
#include "tests/engine/osc_signal.h"

namespace {

constexpr double kPi = std::numbers::pi;

TEST(Phasor, ResetLandsTheNextAdvanceOnTheGivenPhase) {
  Phasor p;
  p.init(44100.0f);
  p.increment = 0.25f;
  PhasorOsc* osc = new AdditiveSine(&p);
  osc->reset(0.0f);
  EXPECT_FLOAT_EQ(p.phase, 0.75f);
  p.advance();
  EXPECT_FLOAT_EQ(p.phase, 0.0f);
  EXPECT_EQ(p.wrapped, 1);
  p.advance();
  EXPECT_FLOAT_EQ(p.phase, 0.25f);
  EXPECT_EQ(p.wrapped, 0);
  osc->reset(0.6f);
  EXPECT_FLOAT_EQ(p.phase, 0.35f);
  delete osc;
}

TEST(Phasor, InitSetsRateAndAnInfiniteInverseIncrement) {
  Phasor p;
  p.init(48000.0f);
  EXPECT_FLOAT_EQ(p.inverseSampleRate, 1.0f / 48000.0f);
  EXPECT_EQ(p.increment, 0.0f);
  EXPECT_TRUE(std::isinf(p.inverseIncrement));
  p.setFrequency(480.0f);
  EXPECT_FLOAT_EQ(p.increment, 0.01f);
  EXPECT_FLOAT_EQ(p.oneMinusIncrement, 0.99f);
  EXPECT_NEAR(p.inverseIncrement, 100.0f, 1e-3f);
}

TEST(Phasor, PhaseStaysInRangeWhateverTheIncrement) {
  // Reference: the phase after n advances is frac(start + n x increment), kept in double.
  const struct {
    float increment;
    bool wrapsEverySample;
  } cases[] = {{20000.0f / 11025.0f, true}, {1.0f, true}, {7.3f, true}, {1e6f, true},
               {-0.3f, false},              {-2.5f, false}, {0.25f, false}};
  for (const auto& c : cases) {
    Phasor p;
    p.init(44100.0f);
    p.phase = 0.125f;
    p.increment = c.increment;
    double reference = 0.125;
    for (int i = 0; i < 1000; ++i) {
      p.advance();
      reference += c.increment;
      reference -= std::floor(reference);
      ASSERT_GE(p.phase, 0.0f) << c.increment;
      ASSERT_LT(p.phase, 1.0f) << c.increment;
      if (c.wrapsEverySample) {
        ASSERT_EQ(p.wrapped, 1) << c.increment;
      }
      if (std::fabs(c.increment) < 10.0f) {
        ASSERT_NEAR(p.phase, reference, 1e-3) << c.increment << " at " << i;
      }
    }
  }
  for (float broken : {std::nanf(""), std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
    Phasor p;
    p.init(44100.0f);
    p.increment = broken;
    p.advance();
    EXPECT_EQ(p.phase, 0.0f) << broken;
    p.setPhase(0.5f);
    EXPECT_EQ(p.phase, 0.0f) << broken;
  }
}

TEST(AdditiveSine, IsMinusCosineOfThePhase) {
  Phasor p;
  p.init(44100.0f);
  AdditiveSine s(&p);
  p.phase = 0.25f;
  EXPECT_NEAR(s.tick(), 0.0f, 1e-6f);
  p.phase = 0.5f;
  EXPECT_NEAR(s.tick(), 1.0f, 1e-6f);
  p.phase = 0.0f;
  EXPECT_NEAR(s.tick(), -1.0f, 1e-6f);
  for (float ph = 0.0f; ph < 1.0f; ph += 0.0137f) {
    p.phase = ph;
    ASSERT_NEAR(s.tick(), -std::cos(2.0 * kPi * ph), 2e-6) << ph;
  }
}

// The sines round their table position themselves; they must read exactly what
// tableLookup reads, also at the half-way positions (odd multiples of 1/16384 put the sine's
// position on a tie) and at the far positions of the 3999th harmonic.
TEST(AdditiveSine, ReadsTheTableAsTableLookupDoes) {
  Phasor p;
  p.init(44100.0f);
  AdditiveSine s(&p);
  for (int m = 0; m < 16384; ++m) {
    p.phase = static_cast<float>(m) / 16384.0f;
    const float expected = tableLookup(sineTable2, kSineTableSteps, (p.phase + 0.75f) * kSineTableSteps);
    ASSERT_EQ(s.tick(), expected) << m;
  }
}

TEST(AdditiveTri, ReadsTheTableAsTableLookupDoes) {
  Phasor p;
  p.init(44100.0f);
  AdditiveTri tri(&p);
  for (float f : {1.0f, 2100.0f, 9000.0f}) {
    tri.setFrequency(f);
    for (int m = 0; m < 64; ++m) {
      p.phase = static_cast<float>(m) / 64.0f + 1.0f / 16384.0f;
      float u = p.phase + 0.75f;
      if (u >= 1.0f) u -= 1.0f;
      const float r = 1.0f - u;
      const float steps = static_cast<float>(kSineTableSteps);
      float sum = 0.0f;
      int n = 1;
      for (; static_cast<float>(n) <= tri.harmonicCount - 2.0f; n += 2) {
        const float w = tri.weights[n - 1];
        sum += tableLookup(sineTable, kSineTableSteps, static_cast<float>(n) * r * steps) * (w * w);
      }
      const float w = tri.weights[n - 1];
      const float last =
          tableLookup(sineTable, kSineTableSteps, static_cast<float>(n) * r * steps) * tri.harmonicFraction * (w * w);
      ASSERT_EQ(tri.tick(), (sum + last) * 0.9495f) << f << " at " << m;
    }
  }
}

// The additive triangle's sum written with std::sin: odd n at (1/n)^2 while n <= count - 2,
// then the next odd n at the fraction.
double additiveTriFormula(double phase, double f) {
  const double q = 20000.0 / f;
  const double count = std::floor(q), fraction = q - count;
  double u = phase + 0.75;
  if (u >= 1.0) u -= 1.0;
  const double r = 1.0 - u;
  double sum = 0.0;
  int n = 1;
  for (; n <= count - 2; n += 2) sum += std::sin(2.0 * kPi * n * r) / (n * n);
  sum += std::sin(2.0 * kPi * n * r) * fraction / (n * n);
  return sum * 0.9495;
}

TEST(AdditiveTri, SumsTheOddHarmonicsBelowTheTopFrequency) {
  Phasor p;
  p.init(44100.0f);
  AdditiveTri tri(&p);
  struct Case {
    float f;
    float count;
    float fraction;
  };
  const Case cases[] = {{2500.0f, 8.0f, 0.0f}, {2100.0f, 9.0f, 0.5238f}, {3000.0f, 6.0f, 0.6667f},
                        {9000.0f, 2.0f, 0.2222f}};
  for (const Case& c : cases) {
    tri.setFrequency(c.f);
    EXPECT_FLOAT_EQ(tri.harmonicCount, c.count) << c.f;
    EXPECT_NEAR(tri.harmonicFraction, c.fraction, 1e-4f) << c.f;
    for (float ph = 0.0f; ph < 1.0f; ph += 0.031f) {
      p.phase = ph;
      ASSERT_NEAR(tri.tick(), additiveTriFormula(ph, c.f), 2e-5) << c.f << " at " << ph;
    }
  }
}

TEST(AdditiveTri, LowOrInvalidFrequenciesStayWithinTheWeights) {
  Phasor p;
  p.init(44100.0f);
  AdditiveTri tri(&p);
  tri.setFrequency(0.5f);  // q = 40000: held at 3999 harmonics
  EXPECT_FLOAT_EQ(tri.harmonicCount, 3999.0f);
  p.phase = 0.3f;
  EXPECT_TRUE(std::isfinite(tri.tick()));
  for (float bad : {0.0f, -5.0f, NAN, INFINITY}) {
    tri.setFrequency(bad);
    EXPECT_EQ(tri.harmonicCount, 0.0f);
    EXPECT_EQ(tri.tick(), 0.0f);
  }
}

TEST(MinBlepTri, FoldsThePhase) {
  Phasor p;
  p.init(44100.0f);
  MinBlepTri tri(&p, nullptr);
  for (float ph = 0.0f; ph < 1.0f; ph += 0.01f) {
    p.phase = ph;
    const double want = ph < 0.5f ? 1.0 - 4.0 * ph : 4.0 * ph - 3.0;
    ASSERT_NEAR(tri.tick(), want, 1e-6) << ph;
  }
  p.phase = 0.75f;
  EXPECT_EQ(tri.tick(), 0.0f);
}

TEST(TriOsc, SwitchesToTheAdditiveSumStrictlyAboveTwoKilohertz) {
  Phasor p;
  p.init(44100.0f);
  TriOsc tri(&p, nullptr);
  tri.setFrequency(2000.0f);
  EXPECT_FALSE(tri.useSecond);
  tri.setFrequency(2000.1f);
  EXPECT_TRUE(tri.useSecond);
  EXPECT_FLOAT_EQ(tri.second->harmonicCount, 9.0f);
  p.phase = 0.25f;
  EXPECT_FLOAT_EQ(tri.tick(), tri.second->tick());
  tri.setFrequency(1500.0f);
  EXPECT_FALSE(tri.useSecond);
  EXPECT_FLOAT_EQ(tri.tick(), 0.0f);  // folded triangle at phase 0.25
}

TEST(TriOsc, ResetSetsThePhaseAndAdvanceMovesIt) {
  Phasor p;
  p.init(44100.0f);
  TriOsc tri(&p, nullptr);
  p.setFrequency(441.0f);
  tri.reset(0.0f);
  EXPECT_FLOAT_EQ(p.phase, 0.99f);
  tri.advance();
  EXPECT_EQ(p.wrapped, 1);
  EXPECT_NEAR(p.phase, 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(tri.tick(), 1.0f);
}

// Cycles per second by crossings of the waveform's mean, for every waveform at both rates.
TEST(OscillatorFrequency, CrossingCountsMatchThePitchAt44And48Kilohertz) {
  MinBlepTable* table = acquireMinBlepTable();
  for (float sr : {44100.0f, 48000.0f}) {
    for (float hz : {55.0f, 440.0f, 1000.0f, 3000.0f}) {
      const int n = static_cast<int>(sr);  // one second
      const double want = hz;
      Phasor p;
      p.init(sr);
      MinBlepSaw saw(&p, table);
      MinBlepPulse pulse(&p, table);
      AdditiveSine sine(&p);
      TriOsc tri(&p, table);
      tri.setFrequency(hz);
      {
        const auto x = osctest::render(p, saw, sr, hz, n);
        EXPECT_NEAR(osctest::crossings(x, osctest::mean(x), false), want, 1.0) << "saw " << sr << " " << hz;
      }
      {
        pulse.setWidth(0.5f);
        const auto x = osctest::render(p, pulse, sr, hz, n);
        EXPECT_NEAR(osctest::crossings(x, 0.5, true), want, 1.0) << "pulse " << sr << " " << hz;
      }
      {
        const auto x = osctest::render(p, sine, sr, hz, n);
        EXPECT_NEAR(osctest::crossings(x, 0.0, true), want, 1.0) << "sine " << sr << " " << hz;
      }
      {
        const auto x = osctest::render(p, tri, sr, hz, n);
        EXPECT_NEAR(osctest::crossings(x, 0.0, true, 0.05), want, 1.0) << "tri " << sr << " " << hz;
      }
    }
  }
  releaseMinBlepTable();
}

}  // namespace
