// Sample-and-hold, internal clock and lag processor kernels.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/kernels/internal_clock.h"
#include "engine/kernels/lag.h"
#include "engine/kernels/sample_hold.h"

namespace {

using qv::InternalClock;
using qv::LagProcessor;
using qv::SampleAndHold;

TEST(KernelSampleHold, SquareClockSamplesOnBothEdges) {
    SampleAndHold sh;
    const int half = 50;
    float lastControl = 0.0f;
    int samplings = 0;
    float previousHeld = sh.held;
    for (int i = 0; i < 20 * half; ++i) {
        const float clock = (i / half) % 2 ? 10.0f : 0.0f;
        if (clock != lastControl) sh.setControl(clock);  // the graph calls set-control on change only
        lastControl = clock;
        const float input = static_cast<float>(i + 1);
        const float held = sh.process(input);
        if (held != previousHeld) {
            ++samplings;
            EXPECT_EQ(i % half, 0) << "sampled off an edge at " << i;
            EXPECT_EQ(held, input);
        }
        previousHeld = held;
    }
    EXPECT_EQ(samplings, 19);  // every edge after the start
}

TEST(KernelSampleHold, SmallControlMovesDoNotSample) {
    SampleAndHold sh;
    for (int i = 0; i < 100; ++i) {
        sh.setControl(0.5f * static_cast<float>(i % 2));
        EXPECT_EQ(sh.process(static_cast<float>(i + 1)), 0.0f);
    }
    sh.setControl(1.1f);
    EXPECT_EQ(sh.process(7.0f), 7.0f);
}

struct ClockCase {
    int fs;
    float seconds;
    int periodSamples;
};

class ClockPeriod : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockPeriod, SquareHasThePeriodAndLowFirstHalf) {
    const ClockCase c = GetParam();
    InternalClock clock(c.fs);
    clock.setPeriod(c.seconds);
    ASSERT_EQ(clock.periodSamples, c.periodSamples);
    // From counter 0: low while the counter is at or below half the period, then high.
    std::vector<float> out;
    for (int i = 0; i < 3 * c.periodSamples; ++i) {
        out.push_back(clock.output());
        clock.tick();
    }
    int lastRise = -1, rises = 0;
    for (int i = 1; i < static_cast<int>(out.size()); ++i) {
        if (out[i - 1] == 0.0f && out[i] == 10.0f) {
            if (lastRise >= 0) {
                EXPECT_EQ(i - lastRise, c.periodSamples);
            }
            lastRise = i;
            ++rises;
        }
    }
    EXPECT_EQ(rises, 3);
    int low = 0;
    for (int i = 0; i < c.periodSamples; ++i) low += out[i] == 0.0f;
    EXPECT_EQ(low, c.periodSamples / 2 + 1);
}

INSTANTIATE_TEST_SUITE_P(KernelClock, ClockPeriod,
                         ::testing::Values(ClockCase{44100, 0.5f, 22050}, ClockCase{48000, 0.5f, 24000},
                                           ClockCase{44100, 0.01f, 441}, ClockCase{96000, 5.0f, 480000},
                                           ClockCase{48000, 0.25f, 12000}));

TEST(KernelClock, HalfSecondAt44100IsLowThroughCounter11025) {
    InternalClock clock(44100);
    for (int i = 0; i <= 11025; ++i) {
        ASSERT_EQ(clock.output(), 0.0f) << i;
        clock.tick();
    }
    for (int i = 11026; i < 22050; ++i) {
        ASSERT_EQ(clock.output(), 10.0f) << i;
        clock.tick();
    }
    EXPECT_EQ(clock.output(), 0.0f);
}

class ClockFloor : public ::testing::TestWithParam<float> {};

TEST_P(ClockFloor, PeriodIsAtLeastTwoSamples) {
    InternalClock clock(44100);
    clock.setPeriod(GetParam());
    EXPECT_EQ(clock.periodSamples, InternalClock::kMinimumPeriod);
    for (int i = 0; i < 10; ++i) {
        clock.tick();
        EXPECT_GE(clock.counter, 0);
        EXPECT_LT(clock.counter, clock.periodSamples);
        const float v = clock.output();
        EXPECT_TRUE(v == 0.0f || v == 10.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(KernelClock, ClockFloor,
                         ::testing::Values(0.0f, -1.0f, 1e-6f, 1.0f / 44100.0f,
                                           std::numeric_limits<float>::quiet_NaN()));

TEST(KernelClock, CounterWrapsWithoutReadsAndAfterShortening) {
    InternalClock clock(44100);
    for (int i = 0; i < 100000; ++i) clock.tick();
    EXPECT_LT(clock.counter, clock.periodSamples);
    EXPECT_EQ(clock.counter, 100000 % 22050);
    clock.setPeriod(0.01f);
    EXPECT_LT(clock.counter, clock.periodSamples);
}

TEST(KernelClock, HugePeriodDoesNotOverflow) {
    InternalClock clock(384000);
    clock.setPeriod(1e9f);
    EXPECT_GT(clock.periodSamples, 0);
    clock.setPeriod(std::numeric_limits<float>::infinity());
    EXPECT_GT(clock.periodSamples, 0);
}

TEST(KernelClock, RateChangeKeepsPeriodInSeconds) {
    InternalClock clock(44100);
    clock.setPeriod(0.5f);
    clock.setSampleRate(96000);
    EXPECT_EQ(clock.periodSamples, 48000);
    EXPECT_EQ(clock.periodSeconds, 0.5f);
}

TEST(KernelClock, SyncedOutputIsTheSetLevel) {
    InternalClock clock(44100);
    clock.setSyncedLevel(10.0f);
    EXPECT_EQ(clock.syncedOutput(), 10.0f);
    clock.setSyncedLevel(0.0f);
    EXPECT_EQ(clock.syncedOutput(), 0.0f);
}

struct LagCase {
    int fs;
    float hertz;
};

class LagSlew : public ::testing::TestWithParam<LagCase> {};

TEST_P(LagSlew, StepReachesSixtyThreePercentAfterAQuarterOverRate) {
    const LagCase c = GetParam();
    LagProcessor lag(44100);
    lag.setSampleRate(c.fs);
    lag.setRate(c.hertz);
    // Coefficient (1 - 2 r / fs)^2 ~ 1 - 4 r / fs: a one-pole with time constant 1 / (4 r) seconds.
    int n = 0;
    while (lag.process(1.0f) < 1.0f - std::exp(-1.0f) && n < 10 * c.fs) ++n;
    const double seconds = double(n + 1) / c.fs;
    EXPECT_NEAR(seconds, 1.0 / (4.0 * c.hertz), 0.02 / (4.0 * c.hertz)) << c.fs << " " << c.hertz;
    for (int i = 0; i < 20 * n + 100; ++i) lag.process(1.0f);
    // A single-precision state stops within about 2e-4 of the target at the slowest rates.
    EXPECT_NEAR(lag.state, 1.0f, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(KernelLag, LagSlew,
                         ::testing::Values(LagCase{44100, 1.6f}, LagCase{48000, 1.6f}, LagCase{44100, 10.0f},
                                           LagCase{96000, 50.0f}, LagCase{44100, 100.0f}));

TEST(KernelLag, NonFiniteInputOrStateIsTakenAsZero) {
    LagProcessor lag(44100);
    lag.process(5.0f);
    EXPECT_TRUE(std::isfinite(lag.process(std::numeric_limits<float>::quiet_NaN())));
    lag.state = std::numeric_limits<float>::infinity();
    EXPECT_NEAR(lag.process(2.0f), (1.0f - lag.coefficient) * 2.0f, 1e-6f);
}

} // namespace
