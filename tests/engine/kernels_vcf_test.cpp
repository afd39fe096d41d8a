// Filter kernel: small-signal response against the analytic four-pole low-pass, resonance,
// self-oscillation, and recovery of its settings after clear, reset and a rate change.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/kernels/vcf.h"
#include "tests/engine/kernel_signals.h"

namespace {

using qv::EngineRandom;
using qv::Vcf;

double cutoffHz(double volts) { return 10.0 * std::pow(2.0, volts); }

// Runs a 0.1 V sine (small enough that the integrators' saturation stays negligible) through
// the filter with the knob gains held; returns the steady-state gain.
double measureGain(Vcf& vcf, int fs, float volts, float resonance, double hz) {
    EngineRandom random;
    std::vector<float> out;
    const int settle = fs / 2;
    for (int i = 0; i < fs; ++i) {
        vcf.tick(volts, resonance);
        const float x = static_cast<float>(0.1 * std::sin(qvtest::kTwoPi * hz * i / fs));
        const float y = vcf.process(x, random);
        if (i >= settle) out.push_back(y);
    }
    return qvtest::rms(out) / (0.1 * std::sqrt(0.5));
}

double measureGain(int fs, float volts, float resonance, double hz) {
    Vcf vcf(fs);
    return measureGain(vcf, fs, volts, resonance, hz);
}

struct ResponseCase {
    int fs;
    float volts;
    double ratio;        // test frequency / cutoff
    double toleranceDb;
};

class VcfResponse : public ::testing::TestWithParam<ResponseCase> {};

TEST_P(VcfResponse, MatchesAnalyticFourPoleLowPass) {
    const ResponseCase c = GetParam();
    const double hz = cutoffHz(c.volts) * c.ratio;
    // Two cascaded critically damped two-pole sections: |H| = 1 / (1 + (f/fc)^2)^2.
    const double expectedDb = qvtest::decibels(1.0 / std::pow(1.0 + c.ratio * c.ratio, 2.0));
    EXPECT_NEAR(qvtest::decibels(measureGain(c.fs, c.volts, 0.0f, hz)), expectedDb, c.toleranceDb)
        << "fs " << c.fs << " cutoff " << c.volts << " V at " << hz << " Hz";
}

INSTANTIATE_TEST_SUITE_P(
    KernelVcf, VcfResponse,
    ::testing::Values(ResponseCase{44100, 4.0f, 0.05, 0.3}, ResponseCase{44100, 4.0f, 1.0, 0.5},
                      ResponseCase{44100, 4.0f, 2.0, 1.0}, ResponseCase{44100, 4.0f, 4.0, 1.5},
                      ResponseCase{44100, 6.0f, 1.0, 0.5}, ResponseCase{44100, 6.0f, 4.0, 1.5},
                      ResponseCase{44100, 8.0f, 1.0, 0.5}, ResponseCase{44100, 8.0f, 2.0, 2.0},
                      ResponseCase{48000, 5.0f, 0.05, 0.3}, ResponseCase{48000, 5.0f, 1.0, 0.5},
                      ResponseCase{48000, 7.0f, 2.0, 1.0}, ResponseCase{48000, 7.0f, 4.0, 2.5},
                      ResponseCase{44100, 9.0f, 0.05, 0.3}, ResponseCase{44100, 9.0f, 1.0, 0.5},
                      ResponseCase{96000, 9.0f, 1.0, 0.5}, ResponseCase{96000, 9.0f, 2.0, 1.5},
                      ResponseCase{96000, 10.0f, 0.05, 0.3}, ResponseCase{96000, 10.0f, 1.0, 0.5},
                      ResponseCase{44100, 10.0f, 0.05, 0.3}, ResponseCase{44100, 10.0f, 1.0, 0.5}));

TEST(KernelVcf, AttenuatesAboveCutoffAtLeastEighteenDbPerOctave) {
    for (int fs : {44100, 48000}) {
        for (float volts : {4.0f, 6.0f}) {
            const double two = measureGain(fs, volts, 0.0f, 2.0 * cutoffHz(volts));
            const double four = measureGain(fs, volts, 0.0f, 4.0 * cutoffHz(volts));
            EXPECT_LT(qvtest::decibels(four / two), -18.0) << fs << " " << volts;
        }
    }
}

TEST(KernelVcf, ResonancePeaksAtCutoff) {
    const int fs = 44100;
    const float volts = 6.0f;
    const double fc = cutoffHz(volts);
    const double flat = measureGain(fs, volts, 0.0f, fc);
    const double peak = measureGain(fs, volts, 0.3f, fc);
    EXPECT_GT(qvtest::decibels(peak / flat), 12.0);
    EXPECT_GT(peak, measureGain(fs, volts, 0.3f, fc * 0.7));
    EXPECT_GT(peak, measureGain(fs, volts, 0.3f, fc * 1.4));
}

TEST(KernelVcf, ResonanceKnobGivesDampingCurveAndInputGain) {
    // Damping 2 - 2.08 r^0.1, input gain 0.025 cos(0.45 pi r); at and above 1 the damping is -0.08.
    for (float r : {0.0f, 0.05f, 0.3f, 0.5f, 0.68f, 0.9f, 0.99999f, 1.0f, 1.5f}) {
        Vcf vcf(44100);
        vcf.applyResonance(r);
        const double clamped = std::min(1.0, double(r));
        EXPECT_NEAR(vcf.damping, 2.0 - 2.08 * std::pow(clamped, 0.1), 2e-3) << r;
        EXPECT_NEAR(vcf.inputGain, 0.025 * std::cos(0.45 * qvtest::kTwoPi / 2.0 * r), 1e-5) << r;
    }
}

TEST(KernelVcf, CoefficientFollowsCutoffVoltageUpToTenVolts) {
    for (int fs : {44100, 48000, 96000}) {
        for (float volts : {0.0f, 3.0f, 7.5f, 10.0f, 12.0f}) {
            Vcf vcf(fs);
            vcf.setCutoffCv(volts);
            const double fc = cutoffHz(std::min(10.0f, volts));
            const double exact = 2.0 * std::sin(qvtest::kTwoPi / 2.0 * fc / (2.0 * fs));
            EXPECT_NEAR(vcf.g, exact, exact * 2e-3) << fs << " " << volts;
        }
    }
}

TEST(KernelVcf, ControlChangeBelowThresholdKeepsCoefficient) {
    Vcf vcf(44100);
    vcf.tick(0.0f, 0.0f);
    vcf.setCutoffCv(5.0f);
    const float g = vcf.g;
    vcf.setCutoffCv(5.000005f);
    EXPECT_EQ(vcf.g, g);
    vcf.setCutoffCv(5.001f);
    EXPECT_NE(vcf.g, g);
}

struct OscillationCase {
    float resonance;
    float volts;
};

class VcfSelfOscillation : public ::testing::TestWithParam<OscillationCase> {};

TEST_P(VcfSelfOscillation, OscillatesAtCutoffAndStaysBounded) {
    const OscillationCase c = GetParam();
    const int fs = 44100;
    Vcf vcf(fs);
    EngineRandom random;
    std::vector<float> out;
    float peak = 0.0f;
    for (int i = 0; i < 3 * fs; ++i) {
        vcf.tick(c.volts, c.resonance);
        const float y = vcf.process(0.0f, random);
        ASSERT_TRUE(std::isfinite(y));
        peak = std::max(peak, std::fabs(y));
        if (i >= 2 * fs) out.push_back(y);
    }
    EXPECT_LT(peak, 1000.0f);
    EXPECT_GT(qvtest::rms(out), 0.1);
    const double fc = cutoffHz(c.volts);
    EXPECT_NEAR(qvtest::risingZeroCrossings(out), fc, fc * 0.01);
}

INSTANTIATE_TEST_SUITE_P(KernelVcf, VcfSelfOscillation,
                         // The threshold lies near 0.68: 0.69 is just above it.
                         ::testing::Values(OscillationCase{0.69f, 5.0f}, OscillationCase{0.69f, 7.0f},
                                           OscillationCase{0.69f, 9.0f}, OscillationCase{0.7f, 5.0f},
                                           OscillationCase{0.8f, 7.0f},
                                           OscillationCase{1.0f, 5.0f}, OscillationCase{1.0f, 7.0f}));

TEST(KernelVcf, BelowSelfOscillationThresholdRingsDown) {
    Vcf vcf(44100);
    EngineRandom random;
    std::vector<float> out;
    for (int i = 0; i < 3 * 44100; ++i) {
        vcf.tick(6.0f, 0.6f);
        const float y = vcf.process(0.0f, random);
        if (i >= 2 * 44100) out.push_back(y);
    }
    EXPECT_LT(qvtest::rms(out), 1e-3);
}

TEST(KernelVcf, RateChangeRetunesToTheSameCutoff) {
    const float volts = 6.0f;
    const double fc = cutoffHz(volts);
    Vcf moved(44100);
    measureGain(moved, 44100, volts, 0.0f, fc);
    moved.setSampleRate(48000);
    Vcf fresh(48000);
    EXPECT_NEAR(qvtest::decibels(measureGain(moved, 48000, volts, 0.0f, fc)),
                qvtest::decibels(measureGain(fresh, 48000, volts, 0.0f, fc)), 0.05);
    EXPECT_NEAR(qvtest::decibels(measureGain(moved, 48000, volts, 0.0f, fc)), -12.04, 0.5);
}

double gainAfter(void (*restart)(Vcf&), float controlVolts) {
    const int fs = 44100;
    const float knobVolts = 4.0f;  // total cutoff = knob + control
    const double fc = cutoffHz(knobVolts + controlVolts);
    Vcf vcf(fs);
    vcf.setCutoffCv(controlVolts);
    const double before = measureGain(vcf, fs, knobVolts, 0.3f, fc);
    restart(vcf);
    const double after = measureGain(vcf, fs, knobVolts, 0.3f, fc);
    return qvtest::decibels(after / before);
}

TEST(KernelVcf, ClearRestoresCutoffAndResonanceAtNextTick) {
    EXPECT_NEAR(gainAfter([](Vcf& v) { v.clear(); }, 0.0f), 0.0, 0.05);
    EXPECT_NEAR(gainAfter([](Vcf& v) { v.clear(); }, 2.0f), 0.0, 0.05);
}

TEST(KernelVcf, ResetRestoresCutoffAndResonanceAtNextTick) {
    EXPECT_NEAR(gainAfter([](Vcf& v) { v.reset(); }, 0.0f), 0.0, 0.05);
    EXPECT_NEAR(gainAfter([](Vcf& v) { v.reset(); }, 2.0f), 0.0, 0.05);
}

TEST(KernelVcf, ClearEmptiesTheState) {
    Vcf vcf(44100);
    measureGain(vcf, 44100, 6.0f, 0.5f, 500.0);
    vcf.clear();
    EXPECT_EQ(vcf.low1, 0.0f);
    EXPECT_EQ(vcf.band1, 0.0f);
    EXPECT_EQ(vcf.low2, 0.0f);
    EXPECT_EQ(vcf.band2, 0.0f);
}

TEST(KernelVcf, NonFiniteInputIsProcessedAsZero) {
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity(), 1e-40f}) {
        Vcf vcf(44100);
        EngineRandom random;
        for (int i = 0; i < 100; ++i) {
            vcf.tick(6.0f, 0.3f);
            EXPECT_TRUE(std::isfinite(vcf.process(bad, random)));
        }
        EXPECT_LT(std::fabs(vcf.cachedOutput), 1e-3f);
        EXPECT_NEAR(qvtest::decibels(measureGain(vcf, 44100, 6.0f, 0.0f, cutoffHz(6.0))), -12.04, 0.5);
    }
}

TEST(KernelVcf, OneComputationPerSample) {
    Vcf vcf(44100);
    EngineRandom random;
    vcf.tick(6.0f, 0.2f);
    const float first = vcf.process(1.0f, random);
    const std::uint32_t seed = random.seed;
    EXPECT_EQ(vcf.process(5.0f, random), first);
    EXPECT_EQ(random.seed, seed);
    vcf.tick(6.0f, 0.2f);
    vcf.process(1.0f, random);
    EXPECT_NE(random.seed, seed);
}

TEST(KernelVcf, RunawayRestartsAndRecovers) {
    Vcf vcf(44100);
    EngineRandom random;
    bool finite = true;
    float peak = 0.0f;
    for (int i = 0; i < 44100; ++i) {
        vcf.tick(9.0f, 1.0f);
        const float y = vcf.process((i / 20) % 2 ? 1000.0f : -1000.0f, random);
        finite = finite && std::isfinite(y);
        peak = std::max(peak, std::fabs(y));
    }
    EXPECT_TRUE(finite);
    EXPECT_LE(peak, 40000.0f);
    EXPECT_NEAR(qvtest::decibels(measureGain(vcf, 44100, 6.0f, 0.0f, cutoffHz(6.0))), -12.04, 0.5);
}

} // namespace
