#include "engine/kernels/vcf_lanes.h"

#include <emmintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/kernels/vcf_module.h"
#include "engine/sanitize_lanes.h"

namespace qv {
namespace {

constexpr int kLanes = 4;
constexpr int kMaxFilters = 12;
constexpr int kMaxGroupLanes = 16;  // kMaxFilters in whole groups of eight
constexpr float kThird = 1.0f / 3.0f;

// What the pad lanes of the last group read: a filter at rest. Their results are dropped.
const Vcf kPadFilter(44100);

// Lanes of filters as vectors the compiler widens to the processor it compiles for: four
// floats in an SSE2 register, or eight in an AVX register inside the AVX2 functions below.
using Lanes4 = float __attribute__((vector_size(16)));
using Lanes8 = float __attribute__((vector_size(32)));

// Four floats from `first` on of each of four filters, as four registers: register i holds
// float i of filters 0..3 in its lanes.
QV_LANE_INLINE inline void loadColumns(const Vcf* const* filters, const float Vcf::*first, __m128& r0, __m128& r1,
                                       __m128& r2, __m128& r3) {
    r0 = _mm_loadu_ps(&(filters[0]->*first));
    r1 = _mm_loadu_ps(&(filters[1]->*first));
    r2 = _mm_loadu_ps(&(filters[2]->*first));
    r3 = _mm_loadu_ps(&(filters[3]->*first));
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
}

// The reverse for the first `lanes` of four filters: lane l of register i to float i from
// `first` on of filter l.
QV_LANE_INLINE inline void storeColumns(Vcf* const* filters, int lanes, float Vcf::*first, __m128 r0, __m128 r1,
                                        __m128 r2, __m128 r3) {
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    const __m128 rows[kLanes] = {r0, r1, r2, r3};
    for (int l = 0; l < lanes; ++l) _mm_storeu_ps(&(filters[l]->*first), rows[l]);
}

// The same for kN filters into kN-lane vectors (kN 4 or 8, in groups of four).
template <int kN, class V>
QV_LANE_INLINE inline void loadColumnsOf(const Vcf* const* filters, const float Vcf::*first, V* r) {
    __m128 q[kN];
    for (int h = 0; h < kN; h += kLanes) loadColumns(filters + h, first, q[h], q[h + 1], q[h + 2], q[h + 3]);
    for (int i = 0; i < 4; ++i) {
        if constexpr (kN == 4) {
            r[i] = __builtin_bit_cast(V, q[i]);
        } else {
            const Lanes4 lo = __builtin_bit_cast(Lanes4, q[i]);
            const Lanes4 hi = __builtin_bit_cast(Lanes4, q[kLanes + i]);
            r[i] = __builtin_shufflevector(lo, hi, 0, 1, 2, 3, 4, 5, 6, 7);
        }
    }
}
template <int kN, class V>
QV_LANE_INLINE inline void storeColumnsOf(Vcf* const* filters, int lanes, float Vcf::*first, const V* r) {
    __m128 q[kN];
    for (int i = 0; i < 4; ++i) {
        if constexpr (kN == 4) {
            q[i] = __builtin_bit_cast(__m128, r[i]);
        } else {
            const Lanes4 lo = __builtin_shufflevector(r[i], r[i], 0, 1, 2, 3);
            const Lanes4 hi = __builtin_shufflevector(r[i], r[i], 4, 5, 6, 7);
            q[i] = __builtin_bit_cast(__m128, lo);
            q[kLanes + i] = __builtin_bit_cast(__m128, hi);
        }
    }
    for (int h = 0; h < kN && h < lanes; h += kLanes) {
        storeColumns(filters + h, lanes - h < kLanes ? lanes - h : kLanes, first, q[h], q[h + 1], q[h + 2], q[h + 3]);
    }
}

// kN lane values from an array of whole groups of four holding `valid` more floats from p
// on; lanes past them are 0. Built from four-float loads, as they were stored.
template <int kN, class V>
QV_LANE_INLINE inline void loadLanes(V& v, const float* p, int valid) {
    Lanes4 lo;
    std::memcpy(&lo, p, sizeof lo);
    if constexpr (kN == 4) {
        v = lo;
    } else {
        Lanes4 hi = {};
        if (valid > kLanes) std::memcpy(&hi, p + kLanes, sizeof hi);
        v = __builtin_shufflevector(lo, hi, 0, 1, 2, 3, 4, 5, 6, 7);
    }
}

// One step of the filters of a group of kN lanes (the first `lanes` real), as Vcf::process
// steps each: the same operations in the same order in every lane. audio and dither hold
// whole groups of four, `valid` floats from the group's first on.
template <int kN>
QV_LANE_INLINE inline void stepGroup(const Vcf* const* read, Vcf* const* f, int lanes, int valid, const float* audio,
                                     const float* dither) {
    using V = std::conditional_t<kN == 4, Lanes4, Lanes8>;
    const auto flush = [](V& v) QV_LANE_INLINE { flushNonNormalIn(v); };
    // Each filter's state group and coefficient group, turned into one register per field.
    V state[4], coefficients[4];
    loadColumnsOf<kN>(read, &Vcf::low1, state);
    loadColumnsOf<kN>(read, &Vcf::g, coefficients);
    V l1 = state[0], b1 = state[1], l2 = state[2], b2 = state[3];
    V k = coefficients[0];
    const V& gain = coefficients[1];
    const V& b = coefficients[2];
    const V& compensation = coefficients[3];
    V input, noise;
    loadLanes<kN>(input, audio, valid);
    loadLanes<kN>(noise, dither, valid);
    flush(input);
    flush(l1);
    flush(b1);
    flush(l2);
    flush(b2);
    flush(k);
    const V in = input * gain + noise;
    V level;
    for (int l = 0; l < kN; ++l) level[l] = read[l]->follower.level;
    // max(base, t) as std::max takes it: t only when base < t.
    const V t = b - level * compensation;
    V d = b < t ? t : b;
    flush(d);
    V stage2[2];
    for (int step = 0; step < 2; ++step) {
        l1 = l1 + k * b1;
        const V l = l1;
        l2 = l2 + k * b2;
        stage2[step] = l2;
        b1 = b1 + k * ((in - d * b1) - l1);
        l1 = l1 - ((l1 * l1) * l1) * kThird;
        b2 = b2 + k * ((l - 2.0f * b2) - l2);
        l2 = l2 - ((l2 * l2) * l2) * kThird;
    }
    V y = (stage2[0] + stage2[1]) * 0.5f;
    flush(y);
    // Back into each real filter: the state, then damping, the stage outputs and the output.
    const V newState[4] = {l1, b1, l2, b2};
    const V outputs[4] = {d, stage2[0], stage2[1], y * 40.0f};
    storeColumnsOf<kN>(f, lanes, &Vcf::low1, newState);
    storeColumnsOf<kN>(f, lanes, &Vcf::damping, outputs);
    for (int i = 0; i < lanes; ++i) {
        Vcf& c = *f[i];
        if (std::fabs(y[i]) > 1000.0f) {
            // A runaway restarts the filter; its output is 0.
            c.clear();
            c.cachedOutput = 0.0f;
        }
        c.computed = 1;
    }
}

// The filters four to an SSE2 register.
void stepInGroupsOf4(const Vcf* const* read, Vcf* const* f, int count, const float* audio, const float* dither) {
    for (int j = 0; j < count; j += kLanes) {
        stepGroup<kLanes>(read + j, f + j, count - j < kLanes ? count - j : kLanes, laneWidth(count) - j, audio + j,
                          dither + j);
    }
}

// Eight to an AVX register, where the processor has AVX2: the same operations, compiled for
// it (the lanes round alike, and no operation is fused).
__attribute__((target("avx2"))) void stepInGroupsOf8(const Vcf* const* read, Vcf* const* f, int count,
                                                     const float* audio, const float* dither) {
    for (int j = 0; j < count; j += 8) {
        stepGroup<8>(read + j, f + j, count - j < 8 ? count - j : 8, laneWidth(count) - j, audio + j, dither + j);
    }
}

bool detectEightLanes() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}

// Chosen once when the library loads, so the audio thread only reads it.
const bool kEightLanes = detectEightLanes();

QV_KERNEL_CALL KernelFloat processOne(void* dsp, float x) {
    VcfModule& m = *static_cast<VcfModule*>(dsp);
    return m.core.process(x, *m.random);
}

} // namespace

bool eightFilterLanes() { return kEightLanes; }

QV_KERNEL_CALL void processVcfLanes(void* const* dsps, const float* audio, float* value, int count,
                                    const LaneCall* between) {
    processVcfLanesInGroupsOf(kEightLanes && count > kLanes ? 8 : kLanes, dsps, audio, value, count, between);
}

void processVcfLanesInGroupsOf(int groupLanes, void* const* dsps, const float* audio, float* value, int count,
                               const LaneCall* between) {
    Vcf* f[kMaxFilters];
    bool anyComputed = false;
    for (int l = 0; l < count && l < kMaxFilters; ++l) {
        f[l] = &static_cast<VcfModule*>(dsps[l])->core;
        anyComputed = anyComputed || f[l]->computed != 0;
    }
    if (anyComputed || count > kMaxFilters) {
        // A filter already stepped in this sample returns its kept output: one at a time.
        storeLaneGroups(value, count, [&](int l) QV_LANE_INLINE {
            const float v = processOne(dsps[l], audio[l]);
            if (l == 0 && between != nullptr) between->output(between->dsp, between->outputIndex);
            return v;
        });
        return;
    }

    // The dither, drawn filter after filter.
    alignas(16) float dither[kMaxFilters];
    storeLaneGroups(dither, count, [&](int l) QV_LANE_INLINE {
        VcfModule& m = *static_cast<VcfModule*>(dsps[l]);
        const float d = (static_cast<float>(nextEngineRandom(*m.random)) / 32768.0f + 0.5f) * 1e-6f;
        if (l == 0 && between != nullptr) between->output(between->dsp, between->outputIndex);
        return d;
    });
    // The filters each lane reads, whole groups: the pad lanes read the filter at rest.
    const Vcf* read[kMaxGroupLanes];
    for (int l = 0; l < count; ++l) read[l] = f[l];
    for (int l = count; l < kMaxGroupLanes; ++l) read[l] = &kPadFilter;
    if (groupLanes == 8) {
        stepInGroupsOf8(read, f, count, audio, dither);
    } else {
        stepInGroupsOf4(read, f, count, audio, dither);
    }
    storeLaneGroups(value, count, [&](int l) QV_LANE_INLINE { return f[l]->cachedOutput; });
}

} // namespace qv
