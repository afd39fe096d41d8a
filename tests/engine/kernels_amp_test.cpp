// VCA, ring modulator and envelope follower kernels.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/kernels/envelope_follower.h"
#include "engine/kernels/ring_modulator.h"
#include "engine/kernels/vca.h"
#include "tests/engine/kernel_signals.h"

namespace {

using qv::EnvelopeFollower;
using qv::RingModulator;
using qv::Vca;

struct VcaCase {
    float gain;
    float linearVolts;
    float exponentialVolts;
};

class VcaResponse : public ::testing::TestWithParam<VcaCase> {};

TEST_P(VcaResponse, GainIsInitialPlusLinearPlusExponential) {
    const VcaCase c = GetParam();
    Vca vca;
    vcaLinearCv(vca, c.linearVolts);
    vcaExpCv(vca, c.exponentialVolts);
    // Linear: 0.1 per volt. Exponential: (10^(v/10) - 1) / 9, saturating at 10 V.
    const double e = std::min(10.0, double(c.exponentialVolts)) / 10.0;
    const double expected = c.gain + 0.1 * c.linearVolts + (std::pow(10.0, e) - 1.0) / 9.0;
    for (float x : {1.0f, -3.0f, 7.5f}) {
        EXPECT_NEAR(vcaProcess(vca, x, c.gain), expected * x, 1e-4 * std::fabs(x) + 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(KernelVca, VcaResponse,
                         ::testing::Values(VcaCase{0.0f, 0.0f, 0.0f}, VcaCase{1.0f, 0.0f, 0.0f},
                                           VcaCase{0.0f, 10.0f, 0.0f}, VcaCase{0.0f, 2.5f, 0.0f},
                                           VcaCase{0.0f, 0.0f, 10.0f}, VcaCase{0.0f, 0.0f, 5.0f},
                                           VcaCase{0.0f, 0.0f, 20.0f}, VcaCase{0.0f, 0.0f, -40.0f},
                                           VcaCase{0.5f, -5.0f, 3.0f}));

TEST(KernelVca, ExponentialInputDoublesGainEveryThreeDecibelsOfControl) {
    // 10^(v/10): +3 V roughly doubles (10^0.3 = 1.995) the part above the -1/9 offset.
    Vca a, b;
    vcaExpCv(a, 4.0f);
    vcaExpCv(b, 7.0f);
    EXPECT_NEAR((b.exponentialCv + 0.11111f) / (a.exponentialCv + 0.11111f), std::pow(10.0, 0.3), 1e-3);
}

TEST(KernelVca, NonFiniteInputGivesSilence) {
    Vca vca;
    vcaLinearCv(vca, 10.0f);
    EXPECT_EQ(vcaProcess(vca, std::numeric_limits<float>::quiet_NaN(), 0.0f), 0.0f);
    EXPECT_EQ(vcaProcess(vca, std::numeric_limits<float>::infinity(), 0.0f), 0.0f);
}

std::vector<float> ringRun(int fs, int mode, double hzA, double hzB, double dcA, double dcB, int samples) {
    RingModulator ring(mode, fs);
    std::vector<float> out;
    for (int i = 0; i < samples; ++i) {
        ring.setInputA(static_cast<float>(dcA + 5.0 * std::sin(qvtest::kTwoPi * hzA * i / fs)));
        ring.setInputB(static_cast<float>(dcB + 5.0 * std::sin(qvtest::kTwoPi * hzB * i / fs)));
        out.push_back(ring.process());
    }
    return out;
}

TEST(KernelRingModulator, PlainModeIsTheProduct) {
    RingModulator ring(RingModulator::kModePlain, 44100);
    for (float a : {-10.0f, -2.5f, 0.0f, 3.0f, 10.0f}) {
        for (float b : {-7.0f, 0.5f, 4.0f}) {
            ring.setInputA(a);
            ring.setInputB(b);
            EXPECT_FLOAT_EQ(ring.process(), a * b);
        }
    }
}

TEST(KernelRingModulator, BlockedModeRemovesOffsetsAndKeepsTheAcProduct) {
    for (int fs : {44100, 48000}) {
        const int n = 2 * fs;
        const std::vector<float> plain = ringRun(fs, RingModulator::kModePlain, 220.0, 330.0, 0.0, 0.0, n);
        const std::vector<float> blocked = ringRun(fs, RingModulator::kModeDcBlocked, 220.0, 330.0, 4.0, -3.0, n);
        // 5 V x 5 V sines: product RMS 12.5 V.
        EXPECT_NEAR(qvtest::rms(plain, fs), 12.5, 0.05);
        EXPECT_NEAR(qvtest::rms(blocked, fs), 12.5, 0.2);
    }
}

TEST(KernelRingModulator, BlockedModeDecaysConstantInputsWithTenPerSecondPoles) {
    for (int fs : {44100, 48000, 96000}) {
        RingModulator ring(RingModulator::kModeDcBlocked, fs);
        float out = 0.0f;
        for (int i = 0; i <= fs / 10; ++i) {
            ring.setInputA(1.0f);
            ring.setInputB(1.0f);
            out = ring.process();
        }
        // Each blocker decays as exp(-10 t): the product after 0.1 s is about e^-2.
        EXPECT_NEAR(out, std::exp(-2.0), 0.01) << fs;
        for (int i = 0; i < fs; ++i) out = ring.process();
        EXPECT_LT(std::fabs(out), 1e-6f);
    }
}

TEST(KernelRingModulator, ModeChangeClearsBlockerState) {
    RingModulator ring(RingModulator::kModeDcBlocked, 44100);
    ring.setInputA(8.0f);
    ring.setInputB(8.0f);
    ring.process();
    ring.setMode(RingModulator::kModeDcBlocked);
    EXPECT_EQ(ring.blockedA, 0.0f);
    EXPECT_EQ(ring.previousB, 0.0f);
    EXPECT_EQ(ring.inputA, 0.0f);
}

TEST(KernelEnvelopeFollower, TracksPeakAndReleasesWithTwoThousandSampleConstant) {
    EnvelopeFollower follower;
    std::vector<float> out;
    for (int i = 0; i < 44100; ++i)
        out.push_back(follower.process(static_cast<float>(3.0 * std::sin(qvtest::kTwoPi * 100.0 * i / 44100))));
    for (std::size_t i = 441; i < out.size(); ++i) {
        ASSERT_LE(out[i], 3.0f);
        ASSERT_GT(out[i], 2.6f);
    }
    const float start = follower.process(0.0f);
    int n = 1;
    while (follower.process(0.0f) > start / std::exp(1.0f)) ++n;
    EXPECT_NEAR(n, 2000, 5);
}

struct ClampCase {
    float input;
    float expected;
};

class FollowerClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(FollowerClamp, LevelStaysWithinTenVolts) {
    EnvelopeFollower follower;
    EXPECT_EQ(follower.process(GetParam().input), GetParam().expected);
    for (int i = 0; i < 100; ++i) {
        const float level = follower.process(GetParam().input);
        ASSERT_LE(level, 10.0f);
        ASSERT_GE(level, GetParam().expected * 0.95f);
    }
}

INSTANTIATE_TEST_SUITE_P(KernelEnvelopeFollower, FollowerClamp,
                         ::testing::Values(ClampCase{5.0f, 5.0f}, ClampCase{10.0f, 10.0f},
                                           ClampCase{10.5f, 10.0f}, ClampCase{12.0f, 10.0f},
                                           ClampCase{-15.0f, 10.0f}, ClampCase{999.0f, 10.0f},
                                           ClampCase{std::numeric_limits<float>::infinity(), 0.0f},
                                           ClampCase{std::numeric_limits<float>::quiet_NaN(), 0.0f}));

} // namespace
