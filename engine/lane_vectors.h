// Values of several voices ("lanes") held four to an SSE2 register. Arrays of lane values
// are padded to whole groups of four; the pad lanes hold 0.
//
// Lane values written one float at a time and read back four at a time make the processor
// wait for the single stores to reach the cache before it can load the group. Writers
// therefore store each group of four with one vector store.
#pragma once

#include <emmintrin.h>

inline constexpr int kSimdLanes = 4;

// Floats an array of `count` lane values occupies: count rounded up to whole groups.
constexpr int laneWidth(int count) { return (count + kSimdLanes - 1) / kSimdLanes * kSimdLanes; }

// out[l] = valueOf(l) for l = 0 .. count-1, called in lane order, and 0 in the pad lanes up
// to laneWidth(count), each group stored with one vector store.
template <class ValueOf>
inline void storeLaneGroups(float* out, int count, ValueOf&& valueOf) {
  for (int j = 0; j < count; j += kSimdLanes) {
    const float a = valueOf(j);
    const float b = j + 1 < count ? valueOf(j + 1) : 0.0f;
    const float c = j + 2 < count ? valueOf(j + 2) : 0.0f;
    const float d = j + 3 < count ? valueOf(j + 3) : 0.0f;
    _mm_storeu_ps(out + j, _mm_setr_ps(a, b, c, d));
  }
}
