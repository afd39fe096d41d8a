// Value hygiene of the engine: every module value that is stored or read back passes
// through sanitizeValue, every connection gain through flushNonNormal. Any thread.
#pragma once

#include <cstdint>
#include <cstring>

// A module value beyond this magnitude is treated as a runaway and replaced by 0.
inline constexpr float kModuleValueLimit = 1000.0f;

// True when the float's exponent bits are all 0 (zero, denormal) or all 1 (infinity, NaN).
inline bool hasDegenerateExponent(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  // One unsigned compare: exponents 0 and 255 both fall outside 1 .. 254.
  const std::uint32_t exponent = (bits >> 23) & 0xffu;
  return exponent - 1u >= 0xfeu;
}

// Gains and intermediate values: zero, denormal, infinite and NaN become exactly +0.
inline float flushNonNormal(float v) { return hasDegenerateExponent(v) ? 0.0f : v; }

// The module-value sanitiser: zero, denormal, infinite and NaN become 0, and so does any
// value whose magnitude exceeds 1000 (1000 itself passes).
inline float sanitizeValue(float v) {
  if (hasDegenerateExponent(v)) return 0.0f;
  return (v > kModuleValueLimit || v < -kModuleValueLimit) ? 0.0f : v;
}
