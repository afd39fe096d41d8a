// Value hygiene of the engine: every module value that is stored or read back passes
// through sanitizeValue, every connection gain through flushNonNormal. Any thread.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// A module value beyond this magnitude is treated as a runaway and replaced by 0.
inline constexpr float kModuleValueLimit = 1000.0f;

// The float's bits without the sign.
inline std::uint32_t magnitudeBits(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits & 0x7fffffffu;
}

// Magnitude bits of the smallest normal float and of infinity.
inline constexpr std::uint32_t kSmallestNormalBits = 0x00800000u;
inline constexpr std::uint32_t kInfinityBits = 0x7f800000u;
inline constexpr std::uint32_t kModuleValueLimitBits = std::bit_cast<std::uint32_t>(kModuleValueLimit);

// True when the float's exponent bits are all 0 (zero, denormal) or all 1 (infinity, NaN).
inline bool hasDegenerateExponent(float v) {
  // One unsigned compare: magnitudes below the smallest normal wrap round to the top.
  return magnitudeBits(v) - kSmallestNormalBits >= kInfinityBits - kSmallestNormalBits;
}

// Gains and intermediate values: zero, denormal, infinite and NaN become exactly +0.
inline float flushNonNormal(float v) { return hasDegenerateExponent(v) ? 0.0f : v; }

// The module-value sanitiser: zero, denormal, infinite and NaN become 0, and so does any
// value whose magnitude exceeds 1000 (1000 itself passes). Positive floats order as their
// bits do, and infinity and NaN lie above 1000, so one unsigned compare of the magnitude
// decides all of it.
inline float sanitizeValue(float v) {
  return magnitudeBits(v) - kSmallestNormalBits > kModuleValueLimitBits - kSmallestNormalBits
             ? 0.0f
             : v;
}
