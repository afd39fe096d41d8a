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
        storeLaneGroups(value, count, [&](int l) {
            const float v = processOne(dsps[l], audio[l]);
            if (l == 0 && between != nullptr) between->output(between->dsp, between->outputIndex);
            return v;
        });
        return;
    }

    // The dither, drawn filter after filter. The inputs and state are read four filters to a
    // register (pad lanes 0), each group built in registers rather than stored one float at a
    // time and loaded back.
    alignas(16) float dither[kMaxFilters];
    storeLaneGroups(dither, count, [&](int l) {
        VcfModule& m = *static_cast<VcfModule*>(dsps[l]);
        const float d = (static_cast<float>(nextEngineRandom(*m.random)) / 32768.0f + 0.5f) * 1e-6f;
        if (l == 0 && between != nullptr) between->output(between->dsp, between->outputIndex);
        return d;
    });
    alignas(16) float out0[kMaxFilters], out1[kMaxFilters], ds[kMaxFilters], ys[kMaxFilters];
    alignas(16) float l1s[kMaxFilters], b1s[kMaxFilters], l2s[kMaxFilters], b2s[kMaxFilters];
    // The filters each lane reads, whole groups: the pad lanes read the filter at rest.
    const Vcf* read[kMaxFilters];
    for (int l = 0; l < count; ++l) read[l] = f[l];
    for (int l = count; l < laneWidth(count); ++l) read[l] = &kPadFilter;
    auto lanes = [&](int j, float Vcf::*field) {
        return _mm_setr_ps(read[j]->*field, read[j + 1]->*field, read[j + 2]->*field, read[j + 3]->*field);
    };
    auto levels = [&](int j) {
        return _mm_setr_ps(read[j]->follower.level, read[j + 1]->follower.level, read[j + 2]->follower.level,
                           read[j + 3]->follower.level);
    };

    const int width = (count + kLanes - 1) / kLanes * kLanes;
    for (int j = 0; j < width; j += kLanes) {
        const __m128 input = flushNonNormalLanes(_mm_loadu_ps(audio + j));
        __m128 l1 = flushNonNormalLanes(lanes(j, &Vcf::low1));
        __m128 b1 = flushNonNormalLanes(lanes(j, &Vcf::band1));
        __m128 l2 = flushNonNormalLanes(lanes(j, &Vcf::low2));
        __m128 b2 = flushNonNormalLanes(lanes(j, &Vcf::band2));
        const __m128 k = flushNonNormalLanes(lanes(j, &Vcf::g));
        const __m128 in = _mm_add_ps(_mm_mul_ps(input, lanes(j, &Vcf::inputGain)), _mm_load_ps(dither + j));
        const __m128 b = lanes(j, &Vcf::baseDamping);
        // max(base, t) as std::max takes it: t only when base < t.
        const __m128 d = flushNonNormalLanes(_mm_max_ps(_mm_sub_ps(b, _mm_mul_ps(levels(j), lanes(j, &Vcf::compensation))), b));
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
        _mm_store_ps(l1s + j, l1);
        _mm_store_ps(b1s + j, b1);
        _mm_store_ps(l2s + j, l2);
        _mm_store_ps(b2s + j, b2);
        _mm_store_ps(ds + j, d);
        _mm_store_ps(out0 + j, stage2[0]);
        _mm_store_ps(out1 + j, stage2[1]);
        _mm_store_ps(ys + j, flushNonNormalLanes(_mm_mul_ps(_mm_add_ps(stage2[0], stage2[1]), _mm_set1_ps(0.5f))));
    }

    storeLaneGroups(value, count, [&](int l) {
        Vcf& c = *f[l];
        c.damping = ds[l];
        c.low1 = l1s[l];
        c.band1 = b1s[l];
        c.low2 = l2s[l];
        c.band2 = b2s[l];
        c.stage2Out[0] = out0[l];
        c.stage2Out[1] = out1[l];
        float y = ys[l];
        if (std::fabs(y) > 1000.0f) {
            c.clear();
            y = 0.0f;
        }
        c.computed = 1;
        c.cachedOutput = y * 40.0f;
        return c.cachedOutput;
    });
}

} // namespace qv
