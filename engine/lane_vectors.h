// Values of several voices ("lanes") held four to an SSE2 register. Arrays of lane values
// are padded to whole groups of four; the pad lanes hold 0.
//
// Lane values written one float at a time and read back four at a time make the processor
// wait for the single stores to reach the cache before it can load the group. Writers
// therefore store each group of four with one vector store.
#pragma once

#include <emmintrin.h>

inline constexpr int kSimdLanes = 4;

// On the function a lanes loop calls for each lane (a lambda): inlined into the loop, which
// the compiler otherwise often leaves as a call per lane.
#define QV_LANE_INLINE __attribute__((always_inline))

// Voice contexts evaluated together at most.
inline constexpr int kMaxLaneVoices = 9;

// Floats an array of `count` lane values occupies: count rounded up to whole groups.
constexpr int laneWidth(int count) { return (count + kSimdLanes - 1) / kSimdLanes * kSimdLanes; }

// out[l] = valueOf(l) for l = 0 .. kCount-1, called in lane order, and 0 in the pad lanes
// up to laneWidth(kCount), each group stored with one vector store.
template <int kCount, class ValueOf>
inline void storeLaneGroupsOf(float* out, ValueOf& valueOf) {
  for (int j = 0; j < kCount; j += kSimdLanes) {
    const float a = valueOf(j);
    const float b = j + 1 < kCount ? valueOf(j + 1) : 0.0f;
    const float c = j + 2 < kCount ? valueOf(j + 2) : 0.0f;
    const float d = j + 3 < kCount ? valueOf(j + 3) : 0.0f;
    _mm_storeu_ps(out + j, _mm_setr_ps(a, b, c, d));
  }
}

// The same for a count known only when called: compiled for each count up to
// kMaxLaneVoices, so no lane is tested.
template <class ValueOf>
inline void storeLaneGroups(float* out, int count, ValueOf&& valueOf) {
  switch (count) {
    case 1: return storeLaneGroupsOf<1>(out, valueOf);
    case 2: return storeLaneGroupsOf<2>(out, valueOf);
    case 3: return storeLaneGroupsOf<3>(out, valueOf);
    case 4: return storeLaneGroupsOf<4>(out, valueOf);
    case 5: return storeLaneGroupsOf<5>(out, valueOf);
    case 6: return storeLaneGroupsOf<6>(out, valueOf);
    case 7: return storeLaneGroupsOf<7>(out, valueOf);
    case 8: return storeLaneGroupsOf<8>(out, valueOf);
    case 9: return storeLaneGroupsOf<9>(out, valueOf);
    default: break;
  }
  static_assert(kMaxLaneVoices == 9);
  for (int j = 0; j < count; j += kSimdLanes) {
    const float a = valueOf(j);
    const float b = j + 1 < count ? valueOf(j + 1) : 0.0f;
    const float c = j + 2 < count ? valueOf(j + 2) : 0.0f;
    const float d = j + 3 < count ? valueOf(j + 3) : 0.0f;
    _mm_storeu_ps(out + j, _mm_setr_ps(a, b, c, d));
  }
}
