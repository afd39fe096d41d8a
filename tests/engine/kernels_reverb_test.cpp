// Reverb kernel: filter sizes per sample rate, impulse arrival and response against a
// reference model, bounded and finite decay, mute, and the level target of the output knobs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// Reference reverberator written from its equations in double precision: per channel eight
// combs (out = line[i]; store = out (1 - d) + store d; line[i] = x + store f) summed into
// four all-passes (b = line[i]; out = b - x; line[i] = x + b / 2), fed with send x 0.0001,
// outputs x 300; feedback f = 0.5 x 0.28 + 0.7, damping d = 0.5 x 0.4.
class ReferenceReverb {
 public:
    explicit ReferenceReverb(int fs) {
        for (int side = 0; side < 2; ++side) {
            for (int i = 0; i < 8; ++i) combs_[side][i].assign(std::size_t(std::int64_t(kLeftComb[i] + 23 * side) * fs / 44100), 0.0);
            for (int i = 0; i < 4; ++i)
                allPasses_[side][i].assign(std::size_t(std::int64_t(kLeftAllPass[i] + 23 * side) * fs / 44100), 0.0);
        }
    }

    void step(double send, double& left, double& right) {
        const double in = send * 0.0001;
        double out[2];
        for (int side = 0; side < 2; ++side) {
            double sum = 0.0;
            for (int i = 0; i < 8; ++i) {
                std::vector<double>& line = combs_[side][i];
                const double y = line[combIndex_[side][i]];
                store_[side][i] = y * (1.0 - kDamp) + store_[side][i] * kDamp;
                line[combIndex_[side][i]] = in + store_[side][i] * kFeedback;
                combIndex_[side][i] = (combIndex_[side][i] + 1) % line.size();
                sum += y;
            }
            for (int i = 0; i < 4; ++i) {
                std::vector<double>& line = allPasses_[side][i];
                const double b = line[allPassIndex_[side][i]];
                line[allPassIndex_[side][i]] = sum + b * 0.5;
                allPassIndex_[side][i] = (allPassIndex_[side][i] + 1) % line.size();
                sum = b - sum;
            }
            out[side] = sum * 300.0;
        }
        left = out[0];
        right = out[1];
    }

 private:
    static constexpr double kFeedback = 0.5 * 0.28 + 0.7;
    static constexpr double kDamp = 0.5 * 0.4;
    std::vector<double> combs_[2][8];
    std::vector<double> allPasses_[2][4];
    double store_[2][8] = {};
    std::size_t combIndex_[2][8] = {};
    std::size_t allPassIndex_[2][4] = {};
};

class ReverbRate : public ::testing::TestWithParam<int> {};

TEST_P(ReverbRate, SizesScaleWithRateTruncated) {
    const int fs = GetParam();
    auto reverb = makeReverb(fs);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(reverb->model.combs.size[ReverbModel::leftComb(i)], static_cast<int>(std::floor(kLeftComb[i] * double(fs) / 44100.0)));
        EXPECT_EQ(reverb->model.combs.size[ReverbModel::rightComb(i)],
                  static_cast<int>(std::floor((kLeftComb[i] + 23) * double(fs) / 44100.0)));
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(reverb->model.allPasses.size[ReverbModel::leftAllPass(i)], static_cast<int>(std::floor(kLeftAllPass[i] * double(fs) / 44100.0)));
        EXPECT_EQ(reverb->model.allPasses.size[ReverbModel::rightAllPass(i)],
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

TEST_P(ReverbRate, ImpulseResponseMatchesTheReferenceModel) {
    const int fs = GetParam();
    auto reverb = makeReverb(fs);
    ReferenceReverb reference(fs);
    double peak = 0.0;
    for (int i = 0; i < fs / 4; ++i) {
        const double send = i == 0 ? 1000.0 : 0.0;
        float l = static_cast<float>(send), r = 0.0f;
        qv::processReverb(reverb->model, l, r);
        double refLeft = 0.0, refRight = 0.0;
        reference.step(send, refLeft, refRight);
        peak = std::max(peak, std::fabs(refLeft));
        ASSERT_NEAR(l, refLeft, 1e-4 * peak + 1e-9) << "left, sample " << i;
        ASSERT_NEAR(r, refRight, 1e-4 * peak + 1e-9) << "right, sample " << i;
    }
    EXPECT_GT(peak, 1.0);
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
    EXPECT_EQ(reverb->model.combs.size[ReverbModel::leftComb(0)], 2429);
    const auto direct = std::make_unique<Reverb>(0.5f, 0.5f, 1.0f / 3.0f, 0.0f, 1.0f, 96000);
    EXPECT_EQ(direct->model.combs.size[ReverbModel::leftComb(0)], 2429);
}

TEST(KernelReverb, EverySizeFitsItsBufferAndIsAtLeastOne) {
    for (int fs : {1, 100, 8000, 44100, 400000, 768000}) {
        auto reverb = makeReverb(fs);
        const ReverbModel& m = reverb->model;
        for (const std::int32_t size : m.combs.size) {
            EXPECT_GE(size, 1);
            EXPECT_LE(size, m.combCapacity);
        }
        for (const std::int32_t size : m.allPasses.size) {
            EXPECT_GE(size, 1);
            EXPECT_LE(size, m.allPassCapacity);
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
