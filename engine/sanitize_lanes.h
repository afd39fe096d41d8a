// flushNonNormal and sanitizeValue for four floats at once (SSE2), for kernels that keep their
// state in lanes and for voices evaluated together.
#pragma once

#include <emmintrin.h>

#include "engine/sanitize.h"

// Zero, denormal, infinite and NaN lanes become exactly +0; the others pass unchanged.
// Adding the smallest normal's bits to the magnitude moves the normal floats to
// [2 x smallest normal, 0x7fffffff] and pushes infinity and NaN past the top into the
// negative numbers, so one signed compare finds the normal lanes.
inline __m128 flushNonNormalLanes(__m128 v) {
  const __m128i magnitude = _mm_and_si128(_mm_castps_si128(v), _mm_set1_epi32(0x7fffffff));
  const __m128i shifted = _mm_add_epi32(magnitude, _mm_set1_epi32(static_cast<int>(kSmallestNormalBits)));
  const __m128i normal = _mm_cmpgt_epi32(shifted, _mm_set1_epi32(static_cast<int>(2 * kSmallestNormalBits - 1)));
  return _mm_and_ps(_mm_castsi128_ps(normal), v);
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
