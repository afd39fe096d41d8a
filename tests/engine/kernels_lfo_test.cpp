// Keyboard LFO kernel: rate by zero crossings at several sample rates, the delayed vibrato
// envelope (also on the very first note), waveform shapes and the synced outputs.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/kernels/keyboard_lfo.h"
#include "tests/engine/kernel_signals.h"

namespace {

using qv::KeyboardLfo;

struct RateCase {
    int constructionRate;
    int fs;
    float hertz;
};

class LfoRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(LfoRate, SineCompletesRateCyclesPerSecond) {
    const RateCase c = GetParam();
    KeyboardLfo lfo(c.constructionRate);
    lfo.setSampleRate(c.fs);
    lfo.setRate(c.hertz);
    lfo.setVibratoDelay(0.0f);
    lfo.setGate(1);
    const int seconds = 8;
    std::vector<float> sine, square;
    for (int i = 0; i < seconds * c.fs; ++i) {
        lfo.tick();
        sine.push_back(lfo.output(KeyboardLfo::kOutputSine));
        square.push_back(lfo.output(KeyboardLfo::kOutputSquare) - 5.0f);
    }
    EXPECT_NEAR(qvtest::risingZeroCrossings(sine), seconds * c.hertz, 1.0);
    EXPECT_NEAR(qvtest::risingZeroCrossings(square), seconds * c.hertz, 1.0);
    EXPECT_NEAR(qvtest::rms(sine), std::sqrt(0.5), 0.01);
}

INSTANTIATE_TEST_SUITE_P(KernelLfo, LfoRate,
                         ::testing::Values(RateCase{44100, 44100, 1.0f}, RateCase{44100, 48000, 2.0f},
                                           RateCase{48000, 44100, 7.5f}, RateCase{44100, 96000, 0.5f},
                                           RateCase{44100, 44100, 100.0f}));

class LfoDelay : public ::testing::TestWithParam<int> {};

TEST_P(LfoDelay, FirstNoteGetsVibratoAfterTheDelay) {
    const int fs = GetParam();
    KeyboardLfo lfo(fs);
    lfo.setRate(5.0f);
    lfo.setVibratoDelay(0.01f);
    lfo.setGate(1);  // the very first gate after construction
    float peakAfterFade = 0.0f;
    for (int i = 1; i <= fs / 2; ++i) {
        lfo.tick();
        const double t = double(i) / fs;
        const float sine = lfo.output(KeyboardLfo::kOutputSine);
        const double free = std::sin(qvtest::kTwoPi * lfo.phase);
        if (t < 0.0099) {
            ASSERT_EQ(sine, 0.0f) << t;
        } else if (t < 0.0201) {
            // Linear fade-in over the second delay period.
            const double depth = std::clamp((t - 0.01) / 0.01, 0.0, 1.0);
            ASSERT_NEAR(sine, free * depth, 2e-3) << t;
        } else {
            ASSERT_NEAR(sine, free, 1e-4) << t;
            peakAfterFade = std::max(peakAfterFade, std::fabs(sine));
        }
    }
    EXPECT_GT(peakAfterFade, 0.99f);
}

INSTANTIATE_TEST_SUITE_P(KernelLfo, LfoDelay, ::testing::Values(44100, 48000, 96000));

TEST(KernelLfo, GateOffSilencesSineAndNewGateRestartsDelay) {
    KeyboardLfo lfo(44100);
    lfo.setVibratoDelay(0.01f);
    lfo.setGate(1);
    for (int i = 0; i < 4410; ++i) lfo.tick();
    lfo.setGate(0);
    lfo.tick();
    EXPECT_EQ(lfo.output(KeyboardLfo::kOutputSine), 0.0f);
    lfo.setGate(1);
    for (int i = 0; i < 400; ++i) {
        lfo.tick();
        ASSERT_EQ(lfo.output(KeyboardLfo::kOutputSine), 0.0f);
    }
}

TEST(KernelLfo, SquareAndTriangleShapes) {
    KeyboardLfo lfo(44100);
    lfo.setRate(10.0f);
    int high = 0;
    float lowest = 1.0f, highest = -2.0f;
    for (int i = 0; i < 44100; ++i) {
        lfo.tick();
        const float square = lfo.output(KeyboardLfo::kOutputSquare);
        const float triangle = lfo.output(KeyboardLfo::kOutputTriangle);
        ASSERT_TRUE(square == 0.0f || square == 10.0f);
        high += square == 10.0f;
        lowest = std::min(lowest, triangle);
        highest = std::max(highest, triangle);
        // The triangle is -1 at phase 0 and 1, and 0 at the middle.
        ASSERT_NEAR(triangle, -std::fabs(2.0 * lfo.phase - 1.0), 1e-5);
    }
    EXPECT_NEAR(high, 44100 / 2, 10);
    EXPECT_NEAR(lowest, -1.0f, 1e-3f);
    EXPECT_NEAR(highest, 0.0f, 1e-3f);
    EXPECT_EQ(lfo.output(2), 0.0f);
}

struct SyncCase {
    double periods;
};

class LfoSynced : public ::testing::TestWithParam<SyncCase> {};

TEST_P(LfoSynced, SyncedOutputsFollowTheFractionOfTheSyncedPhase) {
    KeyboardLfo lfo(44100);
    lfo.setVibratoDelay(0.0f);
    lfo.setGate(1);
    lfo.tick();
    lfo.setSyncedPhase(GetParam().periods);
    const double whole = GetParam().periods;
    const double fraction = whole - std::floor(whole);
    EXPECT_NEAR(lfo.syncedOutput(KeyboardLfo::kOutputSine), std::sin(qvtest::kTwoPi * fraction), 1e-5);
    EXPECT_EQ(lfo.syncedOutput(KeyboardLfo::kOutputSquare), fraction < 0.5 ? 10.0f : 0.0f);
    EXPECT_NEAR(lfo.syncedOutput(KeyboardLfo::kOutputTriangle), -std::fabs(2.0 * fraction - 1.0), 1e-5);
}

INSTANTIATE_TEST_SUITE_P(KernelLfo, LfoSynced,
                         ::testing::Values(SyncCase{0.25f}, SyncCase{3.75f}, SyncCase{1000000.25f},
                                           SyncCase{4194304.5f}, SyncCase{-2.25f}, SyncCase{65536.125f},
                                           // Beyond float precision: the fraction survives in double.
                                           SyncCase{16777216.25}, SyncCase{1000000000.75}));

} // namespace
