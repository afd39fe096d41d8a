// flushNonNormal and sanitizeValue for four floats at once (SSE2), and flushNonNormal for
// wider vectors, for kernels that keep their state in lanes and for voices evaluated together.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "engine/sanitize.h"

// The integer lanes beside a vector of floats of kBytes (16: SSE2, 32: AVX).
template <int kBytes>
struct LaneBitsOf;
template <>
struct LaneBitsOf<16> {
  using Unsigned = std::uint32_t __attribute__((vector_size(16)));
  using Signed = std::int32_t __attribute__((vector_size(16)));
};
template <>
struct LaneBitsOf<32> {
  using Unsigned = std::uint32_t __attribute__((vector_size(32)));
  using Signed = std::int32_t __attribute__((vector_size(32)));
};

// Zero, denormal, infinite and NaN lanes become exactly +0; the others pass unchanged.
// Adding the smallest normal's bits to the magnitude moves the normal floats to
// [2 x smallest normal, 0x7fffffff] and pushes infinity and NaN past the top into the
// negative numbers, so one signed compare finds the normal lanes. For any vector of floats
// (four lanes in SSE2; eight in AVX inside functions compiled for AVX2), in place.
template <class Floats>
inline void flushNonNormalIn(Floats& v) {
  using Bits = LaneBitsOf<sizeof(Floats)>;
  const typename Bits::Unsigned bits = __builtin_bit_cast(typename Bits::Unsigned, v);
  const typename Bits::Unsigned shifted = (bits & 0x7fffffffu) + kSmallestNormalBits;
  const typename Bits::Signed normal = __builtin_bit_cast(typename Bits::Signed, shifted) >
                                       static_cast<std::int32_t>(2 * kSmallestNormalBits - 1);
  v = __builtin_bit_cast(Floats, bits & __builtin_bit_cast(typename Bits::Unsigned, normal));
}

inline __m128 flushNonNormalLanes(__m128 v) {
  flushNonNormalIn(v);
  return v;
}

// sanitizeValue of four values: the same unsigned compare of the magnitude bits, made
// signed by flipping the top bit of both sides.
inline __m128 sanitizeValueLanes(__m128 v) {
  const __m128i magnitude = _mm_and_si128(_mm_castps_si128(v), _mm_set1_epi32(0x7fffffff));
  const __m128i offset = _mm_sub_epi32(magnitude, _mm_set1_epi32(static_cast<int>(kSmallestNormalBits)));
  const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
  const __m128i limit =
      _mm_set1_epi32(static_cast<int>((kModuleValueLimitBits - kSmallestNormalBits) ^ 0x80000000u));
  const __m128i outside = _mm_cmpgt_epi32(_mm_xor_si128(offset, flip), limit);
  return _mm_andnot_ps(_mm_castsi128_ps(outside), v);
}
