#include "engine/kernels/vcf_lanes.h"

#include <emmintrin.h>

#include <cmath>

#include "engine/kernels/vcf_module.h"
#include "engine/sanitize.h"

namespace qv {
namespace {

constexpr int kLanes = 4;
constexpr int kMaxFilters = 12;
constexpr float kThird = 1.0f / 3.0f;

// flushNonNormal of four values: the unsigned compare of the magnitude bits, made signed by
// flipping the top bit of both sides.
inline __m128 flushLanes(__m128 v) {
    const __m128i magnitude = _mm_and_si128(_mm_castps_si128(v), _mm_set1_epi32(0x7fffffff));
    const __m128i offset = _mm_sub_epi32(magnitude, _mm_set1_epi32(static_cast<int>(kSmallestNormalBits)));
    const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
    const __m128i last =
        _mm_set1_epi32(static_cast<int>((kInfinityBits - kSmallestNormalBits - 1u) ^ 0x80000000u));
    const __m128i degenerate = _mm_cmpgt_epi32(_mm_xor_si128(offset, flip), last);
    return _mm_andnot_ps(_mm_castsi128_ps(degenerate), v);
}

float processOne(void* dsp, float x) {
    VcfModule& m = *static_cast<VcfModule*>(dsp);
    return m.core.process(x, *m.random);
}

} // namespace

void processVcfLanes(void* const* dsps, const float* audio, float* value, int count, const LaneCall* between) {
    Vcf* f[kMaxFilters];
    bool anyComputed = false;
    for (int l = 0; l < count; ++l) {
        f[l] = &static_cast<VcfModule*>(dsps[l])->core;
        anyComputed = anyComputed || f[l]->computed != 0;
    }
    if (anyComputed || count > kMaxFilters) {
        // A filter already stepped in this sample returns its kept output: one at a time.
        for (int l = 0; l < count; ++l) {
            value[l] = processOne(dsps[l], audio[l]);
            if (l == 0 && between != nullptr) between->output(between->dsp, between->outputIndex);
        }
        return;
    }

    // The filters' inputs and state, lane by lane; unused lanes hold zeros.
    alignas(16) float x[kMaxFilters] = {}, gain[kMaxFilters] = {}, dither[kMaxFilters] = {};
    alignas(16) float l1s[kMaxFilters] = {}, b1s[kMaxFilters] = {}, l2s[kMaxFilters] = {}, b2s[kMaxFilters] = {};
    alignas(16) float ks[kMaxFilters] = {}, base[kMaxFilters] = {}, level[kMaxFilters] = {}, comp[kMaxFilters] = {};
    alignas(16) float out0[kMaxFilters], out1[kMaxFilters], ds[kMaxFilters], ys[kMaxFilters];
    for (int l = 0; l < count; ++l) {
        const Vcf& c = *f[l];
        x[l] = audio[l];
        gain[l] = c.inputGain;
        l1s[l] = c.low1;
        b1s[l] = c.band1;
        l2s[l] = c.low2;
        b2s[l] = c.band2;
        ks[l] = c.g;
        base[l] = c.baseDamping;
        level[l] = c.follower.level;
        comp[l] = c.compensation;
        VcfModule& m = *static_cast<VcfModule*>(dsps[l]);
        dither[l] = (static_cast<float>(nextEngineRandom(*m.random)) / 32768.0f + 0.5f) * 1e-6f;
        if (l == 0 && between != nullptr) between->output(between->dsp, between->outputIndex);
    }

    const int width = (count + kLanes - 1) / kLanes * kLanes;
    for (int j = 0; j < width; j += kLanes) {
        const __m128 input = flushLanes(_mm_load_ps(x + j));
        __m128 l1 = flushLanes(_mm_load_ps(l1s + j));
        __m128 b1 = flushLanes(_mm_load_ps(b1s + j));
        __m128 l2 = flushLanes(_mm_load_ps(l2s + j));
        __m128 b2 = flushLanes(_mm_load_ps(b2s + j));
        const __m128 k = flushLanes(_mm_load_ps(ks + j));
        const __m128 in = _mm_add_ps(_mm_mul_ps(input, _mm_load_ps(gain + j)), _mm_load_ps(dither + j));
        const __m128 b = _mm_load_ps(base + j);
        // max(base, t) as std::max takes it: t only when base < t.
        const __m128 d = flushLanes(_mm_max_ps(_mm_sub_ps(b, _mm_mul_ps(_mm_load_ps(level + j), _mm_load_ps(comp + j))), b));
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
        _mm_store_ps(ys + j, flushLanes(_mm_mul_ps(_mm_add_ps(stage2[0], stage2[1]), _mm_set1_ps(0.5f))));
    }

    for (int l = 0; l < count; ++l) {
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
        value[l] = c.cachedOutput;
    }
}

} // namespace qv
