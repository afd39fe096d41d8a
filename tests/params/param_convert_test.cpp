#include "params/param_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(ParamConvert, JackIndexIsParameterIndexMinus89) {
  for (int p = kFirstCordParam; p <= kLastCordParam; ++p) {
    const int j = jackIndexOfParam(p);
    EXPECT_EQ(j, p - 89);
    EXPECT_EQ(paramOfJackIndex(j), p);
    EXPECT_EQ(jackCodeOfIndex(j), ParamKeyTable[p]);
    EXPECT_EQ(jackIndexOfCode(ParamKeyTable[p]), j);
  }
  EXPECT_EQ(jackIndexOfParam(89), 0);
  EXPECT_EQ(jackIndexOfParam(179), 0);
  EXPECT_EQ(paramOfJackIndex(0), -1);
  EXPECT_EQ(paramOfJackIndex(90), -1);
  EXPECT_EQ(jackCodeOfIndex(0), kNoConnectionCode);
  EXPECT_EQ(jackCodeOfIndex(90), kNoConnectionCode);
  EXPECT_EQ(jackCodeOfIndex(-1), kNoConnectionCode);
  EXPECT_EQ(jackIndexOfCode(kNoConnectionCode), 0);
  EXPECT_EQ(jackIndexOfCode(fourCharKey("env1")), -1);
}

// Every jack index survives the trip through the host's thousandths; 0.058 x 1000 is
// 57.99999 in single precision, so truncation would name the wrong jack.
TEST(ParamConvert, CordValuesRoundToTheNearestJack) {
  for (int p : {90, 100, 178}) {
    for (int j = 0; j <= kJackCount; ++j) {
      const float n = normalisedFromPlain(p, static_cast<float>(j));
      EXPECT_EQ(plainFromNormalised(p, n), static_cast<float>(j)) << "param " << p << " jack " << j;
    }
  }
  EXPECT_EQ(plainFromNormalised(100, 0.058f), 58.0f);
  EXPECT_EQ(jackIndexFromNormalised(0.0894f), 89);
}

TEST(ParamConvert, CordValuesNamingNoJackMeanNoCord) {
  for (float n : {0.0895f, 0.5f, 1.0f, 2.0f, -0.01f, kNaN,
                  std::numeric_limits<float>::infinity()})
    EXPECT_EQ(jackIndexFromNormalised(n), 0) << n;
}

TEST(ParamConvert, ContinuousValuesAreLinearAndRoundTrip) {
  for (int i = 2; i < kFirstCordParam; ++i) {
    if (isWholeNumberParam(i)) continue;
    const ParamDesc& d = ParamDescTable[i];
    for (float n : {0.0f, 0.125f, 0.5f, 0.77f, 1.0f}) {
      SCOPED_TRACE("param " + std::to_string(i) + " at " + std::to_string(n));
      const float plain = plainFromNormalised(i, n);
      EXPECT_NEAR(plain, d.minimum + (d.maximum - d.minimum) * n, 1e-6 * (d.maximum - d.minimum));
      EXPECT_NEAR(normalisedFromPlain(i, plain), n, 1e-6);
    }
  }
  EXPECT_EQ(plainFromNormalised(5, 0.5f), 0.5f);
  EXPECT_EQ(plainFromNormalised(64, 0.25f), -1.0f);  // Octave Control, -2..2
}

TEST(ParamConvert, WholeNumberValuesRoundToNearestAndRoundTrip) {
  for (int i = 1; i < kFirstCordParam; ++i) {
    if (!isWholeNumberParam(i)) continue;
    const ParamDesc& d = ParamDescTable[i];
    const int lo = static_cast<int>(d.minimum), hi = static_cast<int>(d.maximum);
    const int step = hi - lo > 1000 ? 997 : 1;  // the pulse counts run to 100000
    for (int k = lo; k <= hi; k += step) {
      const float n = normalisedFromPlain(i, static_cast<float>(k));
      EXPECT_EQ(plainFromNormalised(i, n), static_cast<float>(k))
          << "param " << i << " value " << k;
    }
  }
  const struct {
    int index;
    float normalised;
    float plain;
  } cases[] = {
      {81, 1.0f, 8}, {81, 0.5f, 4}, {81, 0.55f, 4}, {81, 0.57f, 5}, {81, 0.06f, 0}, {81, 0.07f, 1},
      {1, 0.49f, 0}, {1, 0.51f, 1}, {83, 0.0f, 1}, {83, 1.0f, 100000},
  };
  for (const auto& c : cases)
    EXPECT_EQ(plainFromNormalised(c.index, c.normalised), c.plain)
        << "param " << c.index << " at " << c.normalised;
}

TEST(ParamConvert, OutOfRangeInputIsClamped) {
  EXPECT_EQ(plainFromNormalised(33, 1.5f), 100.0f);
  EXPECT_EQ(plainFromNormalised(33, -1.0f), 0.003f);
  EXPECT_EQ(plainFromNormalised(33, kNaN), 0.003f);
  EXPECT_EQ(normalisedFromPlain(35, 20.0f), 1.0f);
  EXPECT_EQ(normalisedFromPlain(35, -3.0f), 0.0f);
  EXPECT_EQ(normalisedFromPlain(120, 500.0f), 0.5f);
}

TEST(ParamConvert, IndexesOutsideOneTo178GiveZero) {
  for (int i : {-1, 0, 179, 180, 100000}) {
    EXPECT_EQ(plainFromNormalised(i, 0.5f), 0.0f) << i;
    EXPECT_EQ(normalisedFromPlain(i, 0.5f), 0.0f) << i;
    EXPECT_EQ(plainFromPosition(i, 0.5), 0.0f) << i;
    EXPECT_EQ(positionFromPlain(i, 0.5f), 0.0) << i;
    EXPECT_FALSE(isWholeNumberParam(i == 0 ? -1 : i)) << i;
  }
}

TEST(ParamConvert, LogarithmicPositionsFollowTheExponential) {
  for (int i = 1; i < kFirstCordParam; ++i) {
    const ParamDesc& d = ParamDescTable[i];
    if (!(d.flags & kParamFlagLog)) continue;
    SCOPED_TRACE("param " + std::to_string(i));
    EXPECT_FLOAT_EQ(plainFromPosition(i, 0.0), d.minimum);
    EXPECT_FLOAT_EQ(plainFromPosition(i, 1.0), d.maximum);
    // The middle position is the geometric mean of the range.
    EXPECT_FLOAT_EQ(plainFromPosition(i, 0.5), std::sqrt(d.minimum * d.maximum));
    for (double p : {0.1, 0.33, 0.9}) {
      const double expected =
          std::exp(std::log(d.minimum) + p * (std::log(d.maximum) - std::log(d.minimum)));
      EXPECT_NEAR(plainFromPosition(i, p), expected, expected * 1e-6);
      EXPECT_NEAR(positionFromPlain(i, plainFromPosition(i, p)), p, 1e-6);
    }
    EXPECT_EQ(plainFromPosition(i, 1.0001), d.maximum);  // MIDI positions run just above 1
    EXPECT_EQ(plainFromPosition(i, -0.5), d.minimum);
  }
}

TEST(ParamConvert, LinearPositionsFollowTheRange) {
  EXPECT_FLOAT_EQ(plainFromPosition(71, 0.5), 0.0f);  // Pitch Bend, -2..2
  EXPECT_FLOAT_EQ(plainFromPosition(35, 0.25), 2.5f);
  EXPECT_NEAR(positionFromPlain(35, 2.5f), 0.25, 1e-7);
  EXPECT_EQ(plainFromPosition(81, 0.3), 2.0f);  // Voices: 2.4 rounds to 2
  EXPECT_EQ(plainFromPosition(100, 58.0 / 89.0), 58.0f);
}

}  // namespace
