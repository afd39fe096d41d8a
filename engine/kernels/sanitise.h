#pragma once
// Value flushing shared by the module kernels.

#include <cstdint>
#include <cstring>

namespace qv {

// A float whose exponent bits are all 0 or all 1 (zero, denormal, infinite, NaN) becomes 0.
// Pure function; safe on any thread.
inline float flushDegenerate(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const std::uint32_t exponent = (bits >> 23) & 0xffu;
    // One unsigned compare: exponents 0 and 255 both fall outside 1 .. 254.
    return exponent - 1u < 0xfeu ? v : 0.0f;
}

inline constexpr float kPiF = 3.14159265358979323846f;
inline constexpr double kPi = 3.14159265358979323846;

} // namespace qv
