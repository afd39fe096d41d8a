// Envelope kernel: segment timing against the closed form L_n = T + (L0 - T) c^n at two rates,
// gate edges against the 32-sum history, and the clamped very short times.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/kernels/envelope.h"

namespace {

using qv::Envelope;

// Per-sample factor of a segment of t seconds: c = (1 - 2 / (fs t))^2.
double segmentFactor(int fs, double t) {
    const double x = 1.0 - 2.0 / (fs * t);
    return x * x;
}

// Samples a segment needs to go from `from` to past `to` heading for `target`.
double closedFormSamples(int fs, double t, double from, double to, double target) {
    return std::log((to - target) / (from - target)) / std::log(segmentFactor(fs, t));
}

struct TimingCase {
    int fs;
    float seconds;
};

class EnvelopeTiming : public ::testing::TestWithParam<TimingCase> {};

TEST_P(EnvelopeTiming, AttackReachesNineVoltsWhenTheClosedFormSays) {
    const TimingCase c = GetParam();
    Envelope ar(Envelope::kTypeAr, c.seconds, 0.5f, 10.0f, 0.2f, c.fs);
    ar.gate(0.0f);
    ar.gate(10.0f);
    int n = 0;
    while (ar.level < 9.0f && n < 100 * c.fs) {
        ar.tick();
        ++n;
    }
    const double expected = std::ceil(closedFormSamples(c.fs, c.seconds, 0.0, 9.0, 10.0));
    // Single-precision coefficients shift long segments by a few hundredths of a percent.
    EXPECT_NEAR(n, expected, 1.0 + expected * 5e-4);
}

TEST_P(EnvelopeTiming, ReleaseEndsBelowOneMillivoltAtClosedFormTime) {
    const TimingCase c = GetParam();
    Envelope ar(Envelope::kTypeAr, 0.003f, 0.5f, 10.0f, c.seconds, c.fs);
    ar.startAttack();
    while (ar.level < 9.0f) ar.tick();
    const double start = ar.level;
    ar.gate(10.0f);
    ar.gate(0.0f);
    ASSERT_EQ(ar.stage, Envelope::kStageRelease);
    int n = 0;
    while (ar.stage == Envelope::kStageRelease && n < 100 * c.fs) {
        ar.tick();
        ++n;
    }
    const double expected = std::ceil(closedFormSamples(c.fs, c.seconds, start, 0.001, 1e-5));
    EXPECT_NEAR(n, expected, 1.0 + expected * 5e-4);
    EXPECT_EQ(ar.level, 0.0f);
    EXPECT_EQ(ar.stage, Envelope::kStageIdle);
}

TEST_P(EnvelopeTiming, DecayFollowsClosedFormTowardsSustain) {
    const TimingCase c = GetParam();
    const float sustain = 7.0f;
    Envelope adsr(Envelope::kTypeAdsr, 0.003f, c.seconds, sustain, 0.2f, c.fs);
    adsr.startAttack();
    while (adsr.attacking) adsr.tick();
    // The tick that cleared attacking already took one decay step.
    const int steps = static_cast<int>(c.fs * c.seconds);
    double previous = adsr.level;
    const double start = adsr.level;
    for (int i = 0; i < steps; ++i) {
        adsr.tick();
        ASSERT_LE(adsr.level, previous + 1e-6);
        previous = adsr.level;
    }
    const double expected = sustain + (start - sustain) * std::pow(segmentFactor(c.fs, c.seconds), steps);
    EXPECT_NEAR(adsr.level, expected, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(KernelEnvelope, EnvelopeTiming,
                         ::testing::Values(TimingCase{44100, 0.003f}, TimingCase{44100, 0.01f},
                                           TimingCase{44100, 0.5f}, TimingCase{48000, 0.003f},
                                           TimingCase{48000, 0.01f}, TimingCase{48000, 0.5f},
                                           TimingCase{96000, 0.1f}));

TEST(KernelEnvelope, SegmentDurationInSecondsIsRateIndependent) {
    for (float t : {0.01f, 0.2f, 2.0f}) {
        double seconds[2];
        int k = 0;
        for (int fs : {44100, 48000}) {
            Envelope ar(Envelope::kTypeAr, t, 0.5f, 10.0f, 0.2f, fs);
            ar.startAttack();
            int n = 0;
            while (ar.level < 9.0f) {
                ar.tick();
                ++n;
            }
            seconds[k++] = double(n) / fs;
        }
        EXPECT_NEAR(seconds[0], seconds[1], seconds[0] * 0.01) << t;
        // A 10 V target crosses 9 V after about ln(10) / 4 of the segment time.
        EXPECT_NEAR(seconds[0], t * std::log(10.0) / 4.0, seconds[0] * 0.02) << t;
    }
}

TEST(KernelEnvelope, RateChangeRecomputesEverySegment) {
    Envelope moved(Envelope::kTypeAdsr, 0.05f, 0.3f, 6.0f, 0.4f, 44100);
    moved.setSampleRate(96000);
    const Envelope fresh(Envelope::kTypeAdsr, 0.05f, 0.3f, 6.0f, 0.4f, 96000);
    EXPECT_EQ(moved.attackCoef, fresh.attackCoef);
    EXPECT_EQ(moved.decayCoef, fresh.decayCoef);
    EXPECT_EQ(moved.releaseCoef, fresh.releaseCoef);
    EXPECT_EQ(moved.decayStep, fresh.decayStep);
}

TEST(KernelEnvelope, AdsrOvershootsNineThenSettlesOnSustain) {
    Envelope adsr(Envelope::kTypeAdsr, 0.01f, 0.05f, 7.0f, 0.2f, 44100);
    adsr.gate(10.0f);
    float peak = 0.0f;
    for (int i = 0; i < 44100; ++i) {
        adsr.tick();
        peak = std::max(peak, adsr.level);
    }
    EXPECT_GT(peak, 9.0f);
    EXPECT_LT(peak, 10.0f);
    EXPECT_NEAR(adsr.level, 7.0f, 1e-3f);
}

TEST(KernelEnvelope, ArHoldsAtFirstLevelPastNine) {
    Envelope ar(Envelope::kTypeAr, 0.01f, 0.5f, 10.0f, 0.2f, 44100);
    ar.gate(10.0f);
    while (ar.level < 9.0f) ar.tick();
    const float held = ar.level;
    for (int i = 0; i < 10000; ++i) ar.tick();
    EXPECT_EQ(ar.level, held);
    EXPECT_GE(held, 9.0f);
}

struct GateCase {
    const char* name;
    float stepVolts;
    int steps;
    int expectedStage;
};

class EnvelopeGate : public ::testing::TestWithParam<GateCase> {};

TEST_P(EnvelopeGate, EdgeIsMoreThanFiveVoltsAgainstOldestOf32Sums) {
    const GateCase c = GetParam();
    Envelope env(Envelope::kTypeAdsr, 0.01f, 0.5f, 7.0f, 0.2f, 44100);
    for (int i = 1; i <= c.steps; ++i) env.gate(c.stepVolts * static_cast<float>(i));
    EXPECT_EQ(env.stage, c.expectedStage) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    KernelEnvelope, EnvelopeGate,
    ::testing::Values(GateCase{"jump to 10 V", 10.0f, 1, Envelope::kStageAttack},
                      GateCase{"5 V in 31 sums", 5.0f / 31.0f, 31, Envelope::kStageIdle},
                      GateCase{"0.25 V steps to 5 V", 0.25f, 20, Envelope::kStageIdle},
                      GateCase{"0.25 V steps to 5.25 V", 0.25f, 21, Envelope::kStageAttack},
                      GateCase{"slow ramp to 10 V", 0.1f, 100, Envelope::kStageIdle},
                      GateCase{"5.5 V in one step", 5.5f, 1, Envelope::kStageAttack}));

TEST(KernelEnvelope, OneGateStepGivesOneEdge) {
    Envelope env(Envelope::kTypeAdsr, 0.01f, 0.5f, 7.0f, 0.2f, 44100);
    env.gate(10.0f);
    ASSERT_EQ(env.stage, Envelope::kStageAttack);
    env.startRelease();
    for (int i = 0; i < 40; ++i) env.gate(10.0f);
    EXPECT_EQ(env.stage, Envelope::kStageRelease);
    env.gate(0.0f);
    EXPECT_EQ(env.stage, Envelope::kStageRelease);
    env.gate(10.0f);
    EXPECT_EQ(env.stage, Envelope::kStageAttack);
}

TEST(KernelEnvelope, FallingGateStartsRelease) {
    Envelope env(Envelope::kTypeAr, 0.01f, 0.5f, 10.0f, 0.2f, 44100);
    env.gate(10.0f);
    for (int i = 0; i < 100; ++i) env.tick();
    env.gate(-0.5f);
    EXPECT_EQ(env.stage, Envelope::kStageRelease);
    EXPECT_EQ(env.attacking, 0);
}

TEST(KernelEnvelope, TriggerRestartsAdsrRiseFromCurrentLevel) {
    Envelope adsr(Envelope::kTypeAdsr, 0.01f, 0.01f, 3.0f, 0.2f, 44100);
    adsr.startAttack();
    for (int i = 0; i < 44100; ++i) adsr.tick();
    ASSERT_NEAR(adsr.level, 3.0f, 1e-3f);
    adsr.trigger();
    adsr.tick();
    EXPECT_GT(adsr.level, 3.0f);
    for (int i = 0; i < 2000; ++i) adsr.tick();
    EXPECT_NEAR(adsr.level, 3.0f, 0.1f);
}

class EnvelopeShortTime : public ::testing::TestWithParam<float> {};

TEST_P(EnvelopeShortTime, TimesOfAFewSamplesOrLessStillConverge) {
    for (int fs : {44100, 48000}) {
        // Times given in samples of this rate where they are finite.
        const float t = std::isfinite(GetParam()) && GetParam() > 0.0f ? GetParam() / fs : GetParam();
        Envelope adsr(Envelope::kTypeAdsr, t, t, 5.0f, t, fs);
        EXPECT_GE(adsr.attackCoef, 0.0f);
        EXPECT_LT(adsr.attackCoef, 1.0f);
        EXPECT_LT(adsr.decayCoef, 1.0f);
        EXPECT_LT(adsr.releaseCoef, 1.0f);
        adsr.startAttack();
        int n = 0;
        while (adsr.attacking && n < 1000) {
            adsr.tick();
            ++n;
        }
        EXPECT_LE(n, 16) << "attack of " << GetParam() << " samples at " << fs;
        for (int i = 0; i < 200; ++i) adsr.tick();
        EXPECT_NEAR(adsr.level, 5.0f, 1e-3f);
        adsr.startRelease();
        n = 0;
        while (adsr.stage == Envelope::kStageRelease && n < 1000) {
            adsr.tick();
            ++n;
        }
        EXPECT_LE(n, 64);
        EXPECT_EQ(adsr.level, 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(KernelEnvelope, EnvelopeShortTime,
                         ::testing::Values(0.0f, -3.0f, 0.5f, 1.0f, 1.5f,
                                           std::numeric_limits<float>::quiet_NaN()));

TEST(KernelEnvelope, NonFiniteLevelIsFlushed) {
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        for (int stage : {Envelope::kStageAttack, Envelope::kStageRelease}) {
            for (int type : {Envelope::kTypeAdsr, Envelope::kTypeAr}) {
                Envelope env(type, 0.01f, 0.5f, 7.0f, 0.2f, 44100);
                env.stage = stage;
                env.attacking = stage == Envelope::kStageAttack;
                env.level = bad;
                for (int i = 0; i < 4; ++i) env.tick();
                EXPECT_TRUE(std::isfinite(env.level)) << type << " " << stage;
                EXPECT_LE(std::fabs(env.level), 10.0f);
            }
        }
    }
}

} // namespace
