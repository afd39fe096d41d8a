// Reverb kernel: filter sizes per sample rate, impulse arrival, bounded and finite decay,
// mute, and the level target of the output knobs.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "engine/kernels/engine_random.h"
#include "engine/kernels/reverb.h"

namespace {

using qv::Reverb;
using qv::ReverbModel;

const int kLeftComb[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int kLeftAllPass[4] = {556, 441, 341, 225};

std::unique_ptr<Reverb> makeReverb(int fs) {
    auto reverb = std::make_unique<Reverb>(0.5f, 0.5f, 1.0f / 3.0f, 0.0f, 1.0f);
    reverb->setSampleRate(fs);
    return reverb;
}

// First samples at which each channel is non-zero after a unit send impulse.
void firstArrival(ReverbModel& model, int limit, int& left, int& right) {
    left = right = -1;
    for (int i = 0; i < limit && (left < 0 || right < 0); ++i) {
        float l = i == 0 ? 1.0f : 0.0f;
        float r = 0.0f;
        qv::processReverb(model, l, r);
        if (left < 0 && l != 0.0f) left = i;
        if (right < 0 && r != 0.0f) right = i;
    }
}

class ReverbRate : public ::testing::TestWithParam<int> {};

TEST_P(ReverbRate, SizesScaleWithRateTruncated) {
    const int fs = GetParam();
    auto reverb = makeReverb(fs);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(reverb->model.combLeft[i].size, static_cast<int>(std::floor(kLeftComb[i] * double(fs) / 44100.0)));
        EXPECT_EQ(reverb->model.combRight[i].size,
                  static_cast<int>(std::floor((kLeftComb[i] + 23) * double(fs) / 44100.0)));
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(reverb->model.allPassLeft[i].size, static_cast<int>(std::floor(kLeftAllPass[i] * double(fs) / 44100.0)));
        EXPECT_EQ(reverb->model.allPassRight[i].size,
                  static_cast<int>(std::floor((kLeftAllPass[i] + 23) * double(fs) / 44100.0)));
    }
}

TEST_P(ReverbRate, ImpulseArrivesAfterTheShortestComb) {
    const int fs = GetParam();
    auto reverb = makeReverb(fs);
    int left = 0, right = 0;
    firstArrival(reverb->model, 4 * fs, left, right);
    EXPECT_EQ(left, static_cast<int>(std::floor(1116 * double(fs) / 44100.0)));
    EXPECT_EQ(right, static_cast<int>(std::floor(1139 * double(fs) / 44100.0)));
}

TEST_P(ReverbRate, DecayIsFiniteBoundedAndDiesAway) {
    const int fs = GetParam();
    auto reverb = makeReverb(fs);
    qv::EngineRandom random;
    double early = 0.0, late = 0.0;
    float peak = 0.0f;
    const int noise = fs / 2;
    for (int i = 0; i < noise + 8 * fs; ++i) {
        float l = i < noise ? (static_cast<float>(qv::nextEngineRandom(random)) / 16384.0f - 1.0f) * 10.0f : 0.0f;
        float r = 0.0f;
        qv::processReverb(reverb->model, l, r);
        ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << i;
        peak = std::max({peak, std::fabs(l), std::fabs(r)});
        const double e = double(l) * l + double(r) * r;
        if (i >= noise && i < noise + fs / 2) early += e;
        if (i >= noise + 7 * fs) late += e;
    }
    EXPECT_LT(peak, 1000.0f);
    EXPECT_GT(early, 0.0);
    EXPECT_LT(late, early * 1e-9);
}

INSTANTIATE_TEST_SUITE_P(KernelReverb, ReverbRate, ::testing::Values(44100, 48000, 96000, 192000, 384000));

TEST(KernelReverb, NinetySixKilohertzFirstCombIs2429) {
    auto reverb = makeReverb(96000);
    EXPECT_EQ(reverb->model.combLeft[0].size, 2429);
    const auto direct = std::make_unique<Reverb>(0.5f, 0.5f, 1.0f / 3.0f, 0.0f, 1.0f, 96000);
    EXPECT_EQ(direct->model.combLeft[0].size, 2429);
}

TEST(KernelReverb, EverySizeFitsItsBufferAndIsAtLeastOne) {
    for (int fs : {1, 100, 8000, 44100, 400000, 768000}) {
        auto reverb = makeReverb(fs);
        const ReverbModel& m = reverb->model;
        for (int i = 0; i < 8; ++i) {
            for (const qv::CombFilter* c : {&m.combLeft[i], &m.combRight[i]}) {
                EXPECT_GE(c->size, 1);
                EXPECT_LE(c->size, m.combCapacity);
            }
        }
        for (int i = 0; i < 4; ++i) {
            for (const qv::AllPassFilter* a : {&m.allPassLeft[i], &m.allPassRight[i]}) {
                EXPECT_GE(a->size, 1);
                EXPECT_LE(a->size, m.allPassCapacity);
            }
        }
        for (int i = 0; i < 2000; ++i) {
            float l = i == 0 ? 1000.0f : 0.0f, r = 0.0f;
            qv::processReverb(reverb->model, l, r);
            ASSERT_TRUE(std::isfinite(l) && std::isfinite(r));
        }
    }
}

TEST(KernelReverb, RateChangeKeepsTheArrivalTimeInSeconds) {
    auto reverb = makeReverb(44100);
    reverb->setSampleRate(384000);
    reverb->setSampleRate(48000);
    int left = 0, right = 0;
    firstArrival(reverb->model, 48000, left, right);
    EXPECT_EQ(left, 1214);
    EXPECT_EQ(right, 1239);
}

TEST(KernelReverb, MuteEmptiesEveryLine) {
    auto reverb = makeReverb(44100);
    for (int i = 0; i < 3000; ++i) {
        float l = 5.0f, r = 0.0f;
        qv::processReverb(reverb->model, l, r);
    }
    reverb->mute();
    for (int i = 0; i < 44100; ++i) {
        float l = 0.0f, r = 0.0f;
        qv::processReverb(reverb->model, l, r);
        ASSERT_EQ(l, 0.0f);
        ASSERT_EQ(r, 0.0f);
    }
}

TEST(KernelReverb, NonFiniteSendIsReadBackAsZero) {
    auto reverb = makeReverb(44100);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        for (int i = 0; i < 44100; ++i) {
            float l = i == 10 ? bad : (i < 100 ? 1.0f : 0.0f), r = 0.0f;
            qv::processReverb(reverb->model, l, r);
            ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << i;
        }
    }
}

TEST(KernelReverb, OutputsAreLeftAndRightWithoutDryPath) {
    auto reverb = makeReverb(44100);
    float l = 7.0f, r = 3.0f;
    qv::processReverb(reverb->model, l, r);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(r, 0.0f);
}

struct LevelCase {
    float knob;
    float level;
};

class ReverbLevel : public ::testing::TestWithParam<LevelCase> {};

TEST_P(ReverbLevel, KnobZeroIsOff) {
    EXPECT_NEAR(qv::reverbLevelTarget(GetParam().knob), GetParam().level, 1e-7f);
    EXPECT_GE(qv::reverbLevelTarget(GetParam().knob), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(KernelReverb, ReverbLevel,
                         ::testing::Values(LevelCase{0.0f, 0.0f}, LevelCase{0.0005f, 0.0f}, LevelCase{0.001f, 0.0f},
                                           LevelCase{0.5f, 0.499f}, LevelCase{1.0f, 0.999f},
                                           LevelCase{std::numeric_limits<float>::quiet_NaN(), 0.0f}));

} // namespace
