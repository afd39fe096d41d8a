// The value sanitiser and the gain flush on a table of values; their four-lane forms against
// them, bit for bit.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/sanitize.h"
#include "engine/sanitize_lanes.h"

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

namespace {

// Every exponent with its lowest, highest and a middle mantissa, both signs, the edges of
// the normal range and of the value limit (1000) one step either side, and a stride
// through all bit patterns, in whole groups of eight.
std::vector<std::uint32_t> lanePatterns() {
  std::vector<std::uint32_t> patterns;
  for (std::uint32_t sign : {0u, 0x80000000u}) {
    for (std::uint32_t exponent = 0; exponent < 256; ++exponent) {
      for (std::uint32_t mantissa : {0u, 1u, 0x400000u, 0x7fffffu}) patterns.push_back(sign | exponent << 23 | mantissa);
    }
  }
  for (std::uint32_t edge : {0x007fffffu, 0x00800000u, 0x00800001u, 0x4479ffffu, 0x447a0000u, 0x447a0001u,
                             0x7f7fffffu, 0x7f800000u, 0x7f800001u, 0x7fffffffu}) {
    patterns.push_back(edge);
    patterns.push_back(edge | 0x80000000u);
  }
  for (std::uint64_t bits = 0; bits <= 0xffffffffu; bits += 65521u) patterns.push_back(static_cast<std::uint32_t>(bits));
  while (patterns.size() % 8 != 0) patterns.push_back(0x3f800000u);
  return patterns;
}

using EightLanes = float __attribute__((vector_size(32)));

// The eight-lane flush as the filter compiled for AVX2 runs it.
__attribute__((target("avx2"))) void flushEight(const float* in, float* out) {
  EightLanes v;
  std::memcpy(&v, in, sizeof v);
  flushNonNormalIn(v);
  std::memcpy(out, &v, sizeof v);
}

}  // namespace

TEST(Sanitize, FourLaneFormsMatchTheOneValueForms) {
  const std::vector<std::uint32_t> patterns = lanePatterns();
  for (std::size_t i = 0; i < patterns.size(); i += 4) {
    alignas(16) float in[4];
    alignas(16) float out[4];
    for (int lane = 0; lane < 4; ++lane) in[lane] = std::bit_cast<float>(patterns[i + lane]);
    alignas(16) float sanitised[4];
    _mm_store_ps(out, flushNonNormalLanes(_mm_load_ps(in)));
    _mm_store_ps(sanitised, sanitizeValueLanes(_mm_load_ps(in)));
    for (int lane = 0; lane < 4; ++lane) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(out[lane]), std::bit_cast<std::uint32_t>(flushNonNormal(in[lane])))
          << std::hex << patterns[i + lane] << " in lane " << lane;
      ASSERT_EQ(std::bit_cast<std::uint32_t>(sanitised[lane]), std::bit_cast<std::uint32_t>(sanitizeValue(in[lane])))
          << std::hex << patterns[i + lane] << " in lane " << lane;
    }
  }
}

TEST(Sanitize, EightLaneFlushMatchesTheOneValueForm) {
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "this processor has no AVX2";
  const std::vector<std::uint32_t> patterns = lanePatterns();
  for (std::size_t i = 0; i < patterns.size(); i += 8) {
    float in[8];
    float out[8];
    for (int lane = 0; lane < 8; ++lane) in[lane] = std::bit_cast<float>(patterns[i + lane]);
    flushEight(in, out);
    for (int lane = 0; lane < 8; ++lane) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(out[lane]), std::bit_cast<std::uint32_t>(flushNonNormal(in[lane])))
          << std::hex << patterns[i + lane] << " in lane " << lane;
    }
  }
}
