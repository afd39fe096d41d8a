// The value sanitiser and the gain flush on a table of values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/sanitize.h"

TEST(Sanitize, ModuleValues) {
  const float inf = std::numeric_limits<float>::infinity();
  const float denormal = std::numeric_limits<float>::denorm_min() * 1000.0f;
  struct Case {
    float in;
    float value;  // sanitizeValue
    float gain;   // flushNonNormal
  };
  const Case cases[] = {
      {0.0f, 0.0f, 0.0f},          {-0.0f, 0.0f, 0.0f},          {denormal, 0.0f, 0.0f},
      {-denormal, 0.0f, 0.0f},     {inf, 0.0f, 0.0f},            {-inf, 0.0f, 0.0f},
      {std::nanf(""), 0.0f, 0.0f}, {1000.5f, 0.0f, 1000.5f},     {-1001.0f, 0.0f, -1001.0f},
      {999.0f, 999.0f, 999.0f},    {1000.0f, 1000.0f, 1000.0f},  {-1000.0f, -1000.0f, -1000.0f},
      {std::numeric_limits<float>::min(), std::numeric_limits<float>::min(), std::numeric_limits<float>::min()},
      {-2.5f, -2.5f, -2.5f},
      // The edges of the ranges, one step either side.
      {std::nextafter(std::numeric_limits<float>::min(), 0.0f), 0.0f, 0.0f},
      {std::nextafter(1000.0f, 2000.0f), 0.0f, std::nextafter(1000.0f, 2000.0f)},
      {std::nextafter(-1000.0f, -2000.0f), 0.0f, std::nextafter(-1000.0f, -2000.0f)},
      {std::numeric_limits<float>::max(), 0.0f, std::numeric_limits<float>::max()},
      {-std::nanf(""), 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    const float v = sanitizeValue(c.in);
    const float g = flushNonNormal(c.in);
    EXPECT_EQ(v, c.value) << c.in;
    EXPECT_EQ(g, c.gain) << c.in;
    EXPECT_FALSE(std::signbit(v) && v == 0.0f) << "negative zero from " << c.in;
    EXPECT_TRUE(std::isfinite(v));
  }
}
