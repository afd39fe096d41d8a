// The lookup tables against their formulas, and the table read rule.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/lookup_tables.h"

namespace {

TEST(LookupTables, SineAndCosineMatchTheFormulaOverOneCycle) {
  ensureLookupTables();
  const double step = static_cast<float>(2.0 * std::numbers::pi / kSineTableSteps);
  for (int i = 0; i <= kSineTableSteps; ++i) {
    const double x = static_cast<float>(i * step);
    ASSERT_NEAR(sineTable[i], std::sin(x), 1e-6) << i;
    ASSERT_NEAR(sineTable2[i], std::sin(x), 1e-6) << i;
    ASSERT_NEAR(cosineTable[i], std::cos(x), 1e-6) << i;
  }
  EXPECT_EQ(sineTable[kSineTableSteps + 1], sineTable[0]);
  EXPECT_EQ(cosineTable[kSineTableSteps + 1], cosineTable[0]);
  EXPECT_NEAR(sineTable[kSineTableSteps / 4], 1.0, 1e-7);
  EXPECT_NEAR(cosineTable[kSineTableSteps / 2], -1.0, 1e-7);
}

TEST(LookupTables, ResonanceCurveIsTwoMinusTwoPointZeroEightTimesTheTenthRoot) {
  ensureLookupTables();
  for (int i = 0; i <= kCurveTableSteps; i += 7) {
    const double x = static_cast<double>(i) / kCurveTableSteps;
    ASSERT_NEAR(curveTable[i], 2.0 - 2.08 * std::pow(x, 0.1), 2e-6) << i;
  }
  EXPECT_FLOAT_EQ(curveTable[0], 2.0f);
  EXPECT_NEAR(curveTable[kCurveTableSteps], -0.08, 1e-6);
  EXPECT_EQ(curveTable[kCurveTableSteps + 1], curveTable[0]);
}

TEST(LookupTables, ReadRoundsToNearestAndExtrapolatesAlongTheForwardDifference) {
  ensureLookupTables();
  struct Case {
    float x;
    int j;
    float f;
  };
  const Case cases[] = {
      {8191.6f, 0, -0.4f},   // rounds up past the end and wraps to entry 0
      {100.25f, 100, 0.25f},
      {100.75f, 101, -0.25f},
      {2.5f, 2, 0.5f},       // ties go to even
      {3.5f, 4, -0.5f},
  };
  for (const Case& c : cases) {
    const float want = sineTable[c.j] + (sineTable[c.j + 1] - sineTable[c.j]) * c.f;
    EXPECT_NEAR(tableLookup(sineTable, kSineTableSteps, c.x), want, 1e-6f) << c.x;
  }
  // Away from the extrapolated half, the read follows sin closely.
  for (float x = 0.1f; x < 8192.0f; x += 97.3f)
    EXPECT_NEAR(tableLookup(sineTable, kSineTableSteps, x), std::sin(2.0 * std::numbers::pi * x / 8192.0), 1e-6)
        << x;
}

}  // namespace
