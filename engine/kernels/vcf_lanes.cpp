#include "engine/kernels/vcf_lanes.h"

#include <emmintrin.h>

#include <cmath>

#include "engine/kernels/vcf_module.h"
#include "engine/sanitize.h"
#include "engine/sanitize_lanes.h"

namespace qv {
namespace {

constexpr int kLanes = 4;
constexpr int kMaxFilters = 12;
constexpr float kThird = 1.0f / 3.0f;

// What the pad lanes of the last group read: a filter at rest. Their results are dropped.
const Vcf kPadFilter(44100);

// Four floats from `first` on of each of four filters, as four registers: register i holds
// float i of filters 0..3 in its lanes.
void loadColumns(const Vcf* const* filters, const float Vcf::*first, __m128& r0, __m128& r1, __m128& r2, __m128& r3) {
    r0 = _mm_loadu_ps(&(filters[0]->*first));
    r1 = _mm_loadu_ps(&(filters[1]->*first));
    r2 = _mm_loadu_ps(&(filters[2]->*first));
    r3 = _mm_loadu_ps(&(filters[3]->*first));
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
}

// The reverse for the first `lanes` of four filters: lane l of register i to float i from
// `first` on of filter l.
void storeColumns(Vcf* const* filters, int lanes, float Vcf::*first, __m128 r0, __m128 r1, __m128 r2, __m128 r3) {
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    const __m128 rows[kLanes] = {r0, r1, r2, r3};
    for (int l = 0; l < lanes; ++l) _mm_storeu_ps(&(filters[l]->*first), rows[l]);
}

float processOne(void* dsp, float x) {
    VcfModule& m = *static_cast<VcfModule*>(dsp);
    return m.core.process(x, *m.random);
}

} // namespace

void processVcfLanes(void* const* dsps, const float* audio, float* value, int count, const LaneCall* between) {
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
    const Vcf* read[kMaxFilters];
    for (int l = 0; l < count; ++l) read[l] = f[l];
    for (int l = count; l < laneWidth(count); ++l) read[l] = &kPadFilter;

    const int width = (count + kLanes - 1) / kLanes * kLanes;
    for (int j = 0; j < width; j += kLanes) {
        // Each filter's state group and coefficient group, turned into one register per field.
        __m128 l1, b1, l2, b2, k, gain, b, compensation;
        loadColumns(read + j, &Vcf::low1, l1, b1, l2, b2);
        loadColumns(read + j, &Vcf::g, k, gain, b, compensation);
        const __m128 input = flushNonNormalLanes(_mm_loadu_ps(audio + j));
        l1 = flushNonNormalLanes(l1);
        b1 = flushNonNormalLanes(b1);
        l2 = flushNonNormalLanes(l2);
        b2 = flushNonNormalLanes(b2);
        k = flushNonNormalLanes(k);
        const __m128 in = _mm_add_ps(_mm_mul_ps(input, gain), _mm_load_ps(dither + j));
        const __m128 level = _mm_setr_ps(read[j]->follower.level, read[j + 1]->follower.level,
                                         read[j + 2]->follower.level, read[j + 3]->follower.level);
        // max(base, t) as std::max takes it: t only when base < t.
        const __m128 d = flushNonNormalLanes(_mm_max_ps(_mm_sub_ps(b, _mm_mul_ps(level, compensation)), b));
        const __m128 third = _mm_set1_ps(kThird);
        const __m128 two = _mm_set1_ps(2.0f);
        __m128 stage2[2];
        for (int step = 0; step < 2; ++step) {
            l1 = _mm_add_ps(l1, _mm_mul_ps(k, b1));
            const __m128 l = l1;
            l2 = _mm_add_ps(l2, _mm_mul_ps(k, b2));
            stage2[step] = l2;
            b1 = _mm_add_ps(b1, _mm_mul_ps(k, _mm_sub_ps(_mm_sub_ps(in, _mm_mul_ps(d, b1)), l1)));
            l1 = _mm_sub_ps(l1, _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(l1, l1), l1), third));
            b2 = _mm_add_ps(b2, _mm_mul_ps(k, _mm_sub_ps(_mm_sub_ps(l, _mm_mul_ps(two, b2)), l2)));
            l2 = _mm_sub_ps(l2, _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(l2, l2), l2), third));
        }
        const __m128 y = flushNonNormalLanes(_mm_mul_ps(_mm_add_ps(stage2[0], stage2[1]), _mm_set1_ps(0.5f)));
        alignas(16) float ys[kLanes];
        _mm_store_ps(ys, y);
        // Back into each real filter: the state, then damping, the stage outputs and the output.
        const int lanes = count - j < kLanes ? count - j : kLanes;
        storeColumns(f + j, lanes, &Vcf::low1, l1, b1, l2, b2);
        storeColumns(f + j, lanes, &Vcf::damping, d, stage2[0], stage2[1], _mm_mul_ps(y, _mm_set1_ps(40.0f)));
        for (int i = 0; i < lanes; ++i) {
            Vcf& c = *f[j + i];
            if (std::fabs(ys[i]) > 1000.0f) {
                // A runaway restarts the filter; its output is 0.
                c.clear();
                c.cachedOutput = 0.0f * 40.0f;
            }
            c.computed = 1;
        }
    }
    storeLaneGroups(value, count, [&](int l) QV_LANE_INLINE { return f[l]->cachedOutput; });
}

} // namespace qv
