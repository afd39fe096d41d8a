// Engine random generator and noise generator: the generator's sequence against the
// recurrence in 64-bit arithmetic, and the noise colour (white vs 50 Hz low-passed).

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/kernels/engine_random.h"
#include "engine/kernels/noise.h"
#include "tests/engine/kernel_signals.h"

namespace {

using qv::EngineRandom;
using qv::NoiseGenerator;

TEST(KernelRandom, SeedOneGivesTheKnownSequence) {
    EngineRandom random;  // starts at seed 1
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358}) {
        EXPECT_EQ(qv::nextEngineRandom(random), expected);
    }
}

TEST(KernelRandom, SequenceMatchesRecurrenceForAnySeed) {
    for (std::uint64_t seed : {0ull, 1ull, 12345ull, 2147483648ull, 4294967295ull}) {
        EngineRandom random;
        qv::seedEngineRandom(random, static_cast<std::uint32_t>(seed));
        std::uint64_t reference = seed;
        for (int i = 0; i < 1000; ++i) {
            reference = (reference * 214013ull + 2531011ull) % 4294967296ull;
            ASSERT_EQ(qv::nextEngineRandom(random), static_cast<int>((reference >> 16) % 32768ull))
                << "seed " << seed << " draw " << i;
        }
    }
}

TEST(KernelRandom, InstancesAreIndependent) {
    EngineRandom a, b;
    for (int i = 0; i < 10; ++i) qv::nextEngineRandom(a);
    EXPECT_EQ(qv::nextEngineRandom(b), 41);
}

std::vector<float> noiseRun(int fs, float level, float colour, int samples) {
    NoiseGenerator noise(fs);
    EngineRandom random;
    std::vector<float> out;
    out.reserve(samples);
    for (int i = 0; i < samples; ++i) {
        noise.newSample();
        out.push_back(noise.output(level, colour, random));
    }
    return out;
}

TEST(KernelNoise, WhiteNoiseIsUniformAndUncorrelated) {
    const std::vector<float> white = noiseRun(44100, 1.0f, 0.0f, 400000);
    EXPECT_NEAR(qvtest::variance(white), 1.0 / 12.0, 1.0 / 12.0 * 0.02);
    EXPECT_NEAR(qvtest::mean(white), 0.0, 0.003);
    EXPECT_NEAR(qvtest::lagOneCorrelation(white), 0.0, 0.01);
    float lowest = 1.0f, highest = -1.0f;
    for (float x : white) {
        lowest = std::min(lowest, x);
        highest = std::max(highest, x);
    }
    EXPECT_GE(lowest, -0.5f);
    EXPECT_LT(highest, 0.5f);
}

class NoiseColour : public ::testing::TestWithParam<int> {};

TEST_P(NoiseColour, RedNoiseHasFiftyHertzOnePoleBandwidth) {
    const int fs = GetParam();
    const std::vector<float> red = noiseRun(fs, 1.0f, 1.0f, 3000000);
    // A one-pole low-pass with its -3 dB point at fc passes pi fc / fs of white noise's power;
    // colour 1 scales the low-passed noise by 10.
    const double expected = 100.0 * (1.0 / 12.0) * qvtest::kTwoPi / 2.0 * 50.0 / fs;
    EXPECT_NEAR(qvtest::variance(red), expected, expected * 0.06) << fs;
    EXPECT_GT(qvtest::lagOneCorrelation(red), 0.99);
}

TEST_P(NoiseColour, RedFilterIsThreeDecibelsDownAtFiftyHertz) {
    const int fs = GetParam();
    const NoiseGenerator noise(fs);
    // |H(f)| of red = p red + (1 - p) w, at DC and at 50 Hz.
    auto magnitude = [&](double hz) {
        const double w = qvtest::kTwoPi * hz / fs;
        const double re = 1.0 - noise.pole * std::cos(w);
        const double im = noise.pole * std::sin(w);
        return noise.oneMinusPole / std::sqrt(re * re + im * im);
    };
    EXPECT_NEAR(magnitude(0.0), 1.0, 1e-6);
    EXPECT_NEAR(qvtest::decibels(magnitude(50.0)), -3.0103, 0.01) << fs;
}

INSTANTIATE_TEST_SUITE_P(KernelNoise, NoiseColour, ::testing::Values(44100, 48000, 96000));

TEST(KernelNoise, RateChangeKeepsTheColourBandwidth) {
    NoiseGenerator moved(44100);
    moved.setSampleRate(96000);
    const NoiseGenerator fresh(96000);
    EXPECT_EQ(moved.pole, fresh.pole);
    EXPECT_EQ(moved.oneMinusPole, fresh.oneMinusPole);
}

TEST(KernelNoise, HalfColourLiesBetweenWhiteAndRed) {
    const double white = qvtest::lagOneCorrelation(noiseRun(44100, 1.0f, 0.0f, 200000));
    const double half = qvtest::lagOneCorrelation(noiseRun(44100, 1.0f, 0.5f, 200000));
    const double red = qvtest::lagOneCorrelation(noiseRun(44100, 1.0f, 1.0f, 200000));
    EXPECT_LT(white, half);
    EXPECT_LT(half, red);
}

TEST(KernelNoise, LevelScalesAmplitude) {
    const double one = qvtest::rms(noiseRun(44100, 1.0f, 0.0f, 100000));
    const double five = qvtest::rms(noiseRun(44100, 5.0f, 0.0f, 100000));
    EXPECT_NEAR(five / one, 5.0, 1e-3);
}

TEST(KernelNoise, OneDrawPerSampleHoweverManyReads) {
    NoiseGenerator noise(44100);
    EngineRandom random, reference;
    for (int i = 0; i < 100; ++i) {
        noise.newSample();
        const float first = noise.output(0.0f, 0.5f, random);
        EXPECT_EQ(first, 0.0f);
        EXPECT_EQ(noise.output(0.0f, 0.5f, random), first);
        qv::nextEngineRandom(reference);
        ASSERT_EQ(random.seed, reference.seed);
    }
}

} // namespace
