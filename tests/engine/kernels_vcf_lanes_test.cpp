// The filter step of several voices at once against the single filter step of each voice in
// turn: the same outputs, the same state and the same dither draws, bit for bit, through
// plain signals, runaways that restart a filter, values that must be flushed, a filter
// already stepped in the sample, and lane counts that do not fill the last group of four
// (or eight, where the processor has AVX2).

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

#include "engine/audio_thread.h"
#include "engine/kernels/vcf_lanes.h"
#include "engine/kernels/vcf_module.h"
#include "engine/patch_voice.h"

namespace {

constexpr int kFilters = 9;

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

struct FilterSet {
    qv::EngineRandom random;
    PatchVoice voice;  // owns the filters' knob gains
    std::unique_ptr<qv::VcfModule> filters[kFilters];
    void* dsps[kFilters] = {};

    FilterSet() {
        for (int l = 0; l < kFilters; ++l) {
            filters[l] = std::make_unique<qv::VcfModule>(voice, 44100);
            filters[l]->useRandom(random);
            dsps[l] = filters[l].get();
        }
    }
    // Each filter its own cutoff and resonance; a few run at the edge of a runaway.
    void tick(int n) {
        for (int l = 0; l < kFilters; ++l) {
            const float volts = static_cast<float>((l * 7 + n / 300) % 11);
            const float resonance = l % 3 == 0 ? 1.0f : 0.1f * static_cast<float>(l);
            filters[l]->core.tick(volts, resonance);
        }
    }
};

// Sample n's input of filter l: sines and squares, huge values, denormals and NaN.
float input(int n, int l) {
    switch ((n / 500 + l) % 6) {
        case 0: return 5.0f * std::sin(0.01f * static_cast<float>(n * (l + 1)));
        case 1: return (n / (10 + l)) % 2 ? 1000.0f : -1000.0f;
        case 2: return std::numeric_limits<float>::denorm_min() * static_cast<float>(l + 1);
        case 3: return l == 4 ? std::numeric_limits<float>::quiet_NaN() : 0.0f;
        case 4: return (n % 50 < 2) ? 1e7f : 0.5f;
        default: return -2.0f * static_cast<float>(l);
    }
}

void expectSameState(const qv::Vcf& a, const qv::Vcf& b, int n, int l) {
    const float fa[] = {a.low1, a.band1, a.low2, a.band2, a.damping, a.stage2Out[0], a.stage2Out[1], a.g,
                        a.inputGain, a.cachedOutput};
    const float fb[] = {b.low1, b.band1, b.low2, b.band2, b.damping, b.stage2Out[0], b.stage2Out[1], b.g,
                        b.inputGain, b.cachedOutput};
    for (std::size_t i = 0; i < std::size(fa); ++i) {
        ASSERT_EQ(bits(fa[i]), bits(fb[i])) << "field " << i << " sample " << n << " filter " << l;
    }
    ASSERT_EQ(a.computed, b.computed);
}

// Four filters to a register, and eight where this processor has AVX2.
class KernelVcfLanesWidth : public ::testing::TestWithParam<int> {};

TEST_P(KernelVcfLanesWidth, FiltersTogetherGiveTheBitsOfFiltersInTurn) {
    const int groupLanes = GetParam();
    if (groupLanes == 8 && !qv::eightFilterLanes()) GTEST_SKIP() << "this processor has no AVX2";
    AudioThreadScope audioThread;
    for (int count : {9, 8, 5, 4, 2, 1}) {
        auto laneSet = std::make_unique<FilterSet>();
        auto turnSet = std::make_unique<FilterSet>();
        int restarts = 0;
        for (int n = 0; n < 6000; ++n) {
            laneSet->tick(n);
            turnSet->tick(n);
            float x[laneWidth(kFilters)] = {};  // lane arrays hold whole groups of four
            for (int l = 0; l < count; ++l) x[l] = input(n, l);
            if (n % 97 == 0) {
                // One filter already stepped in this sample: it keeps its output.
                laneSet->filters[1 % count]->core.process(0.25f, laneSet->random);
                turnSet->filters[1 % count]->core.process(0.25f, turnSet->random);
            }
            float together[laneWidth(kFilters)];
            qv::processVcfLanesInGroupsOf(groupLanes, laneSet->dsps, x, together, count, nullptr);
            for (int l = 0; l < count; ++l) {
                qv::VcfModule& f = *turnSet->filters[l];
                const float inTurn = f.core.process(x[l], *f.random);
                ASSERT_EQ(bits(together[l]), bits(inTurn)) << "sample " << n << " filter " << l << " of " << count;
                expectSameState(laneSet->filters[l]->core, f.core, n, l);
                if (f.core.settingsStale) ++restarts;
            }
            ASSERT_EQ(laneSet->random.seed, turnSet->random.seed) << "sample " << n;
        }
        if (count >= 4) {
            EXPECT_GT(restarts, 0) << "no runaway restarted a filter";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(GroupsOf, KernelVcfLanesWidth, ::testing::Values(4, 8));

// The call between the first filter and the others comes after the first filter's draw.
TEST(KernelVcfLanes, CallBetweenComesAfterTheFirstDraw) {
    AudioThreadScope audioThread;
    auto set = std::make_unique<FilterSet>();
    set->tick(0);
    static std::uint32_t seen = 0;
    seen = 0;
    set->random.seed = 12345u;
    const LaneCall between{[](void* dsp, int) {
                               seen = static_cast<qv::EngineRandom*>(dsp)->seed;
                               return 0.0f;
                           },
                           &set->random, 0};
    const float x[laneWidth(kFilters)] = {};
    float out[laneWidth(kFilters)];
    qv::processVcfLanes(set->dsps, x, out, kFilters, &between);
    qv::EngineRandom expected{12345u};
    qv::nextEngineRandom(expected);
    EXPECT_EQ(seen, expected.seed);
}

} // namespace
