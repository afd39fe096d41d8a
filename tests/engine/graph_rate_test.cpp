// Sample rates: each voice and the shared modules keep their own rate; ramps take their
// length from their voice's rate; rate changes reach the objects a voice made.
#include <climits>
#include <cmath>
#include <limits>

#include "tests/engine/graph_fixture.h"

namespace {

// A DSP object that records the rates it is told.
struct RateProbe {
  int rate = 0;
  int calls = 0;
};

ModuleKernel rateKernel() {
  ModuleKernel k;
  k.setSampleRate = [](void* dsp, int rate) {
    auto* p = static_cast<RateProbe*>(dsp);
    p->rate = rate;
    ++p->calls;
  };
  return k;
}

// Ramps input from 0 to 1 on its voice; the number of steps until it arrives.
int rampLength(PatchVoice& voice, PatchInput* input) {
  voice.rampTo(input, 1.0f);
  for (int n = 1; n <= 100000; ++n) {
    voice.advanceRamps();
    if (input->arrived != 0) return n;
  }
  return -1;
}

}  // namespace

TEST(SampleRate, HostRatesBecomeWholeHertzOrAreRefused) {
  const struct {
    double host;
    int rate;
  } cases[] = {{48000.0, 48000},  {44100.9, 44100}, {1.0, 1},          {0.99, 0},
               {0.0, 0},          {-44100.0, 0},    {3072000.5, 3072000}, {3072001.0, 0},
               {1e12, 0},         {std::nan(""), 0}, {std::numeric_limits<double>::infinity(), 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(wholeHertzRate(c.host), c.rate) << c.host;
    if (c.rate != 0) {
      EXPECT_TRUE(isUsableSampleRate(c.rate));
    }
  }
  for (int bad : {0, -1, INT_MIN, kMaxSampleRate + 1, INT_MAX}) EXPECT_FALSE(isUsableSampleRate(bad)) << bad;
}

TEST(SampleRate, VoicesAtDifferentRatesKeepTheirOwnRampLengths) {
  AudioThreadScope audio;
  PatchVoice slow(44100);
  PatchVoice fast(96000);
  slow.rampRate.store(normalRampRate(44100));
  fast.rampRate.store(normalRampRate(96000));
  PatchInput* a = slow.newInput(0.0f, 0);
  PatchInput* b = fast.newInput(0.0f, 0);
  slow.advanceRamps();
  fast.advanceRamps();
  // Started side by side and stepped in turn: 4000 samples each, whatever the other's rate.
  slow.rampTo(a, 1.0f);
  fast.rampTo(b, 1.0f);
  EXPECT_FLOAT_EQ(a->step, 1.0f / 4000.0f);
  EXPECT_FLOAT_EQ(b->step, 1.0f / 4000.0f);
  int slowSteps = 0;
  int fastSteps = 0;
  for (int n = 1; n <= 5000 && (a->arrived == 0 || b->arrived == 0); ++n) {
    slow.advanceRamps();
    fast.advanceRamps();
    if (a->arrived != 0 && slowSteps == 0) slowSteps = n;
    if (b->arrived != 0 && fastSteps == 0) fastSteps = n;
  }
  EXPECT_NEAR(slowSteps, 4000, 1);
  EXPECT_NEAR(fastSteps, 4000, 1);
  EXPECT_EQ(slow.sampleRate(), 44100);
  EXPECT_EQ(fast.sampleRate(), 96000);

  // A rate change of one voice leaves the other alone, and its ramps still take 4000.
  ASSERT_TRUE(fast.setSampleRate(22050));
  PatchInput* c = fast.newInput(0.0f, 0);
  fast.advanceRamps();
  EXPECT_NEAR(rampLength(fast, c), 4000, 1);
  EXPECT_EQ(slow.sampleRate(), 44100);
  EXPECT_FLOAT_EQ(slow.rampRate.load(), normalRampRate(44100));
}

TEST(SampleRate, VoiceRefusesUnusableRatesAndKeepsTheLastGoodOne) {
  PatchVoice unusable(0);
  EXPECT_EQ(unusable.sampleRate(), kDefaultSampleRate);
  PatchVoice voice(48000);
  EXPECT_EQ(voice.sampleRate(), 48000);
  for (int bad : {0, -44100, INT_MIN, kMaxSampleRate + 1}) {
    EXPECT_FALSE(voice.setSampleRate(bad)) << bad;
    EXPECT_EQ(voice.sampleRate(), 48000) << bad;
  }
  EXPECT_TRUE(voice.setSampleRate(1));
  EXPECT_EQ(voice.sampleRate(), 1);
}

TEST(SampleRate, RateChangeMovesTheRampRateAndKeepsAFadeFaded) {
  PatchVoice voice(44100);
  voice.rampRate.store(normalRampRate(44100));
  ASSERT_TRUE(voice.setSampleRate(96000));
  EXPECT_FLOAT_EQ(voice.rampRate.load(), 24.0f);  // 96000 / 4000
  voice.rampRate.store(fadedRampRate(96000));     // a patch change has the output faded out
  ASSERT_TRUE(voice.setSampleRate(48000));
  EXPECT_FLOAT_EQ(voice.rampRate.load(), 1200.0f);  // 48000 / 40
  EXPECT_FALSE(voice.setSampleRate(-1));
  EXPECT_FLOAT_EQ(voice.rampRate.load(), 1200.0f);
}

TEST(SampleRate, EachObjectTheVoiceMadeHearsOfARateChangeOnce) {
  PatchVoice voice(44100);
  RateProbe own[2];
  RateProbe sharedObject;
  PatchModule* first = voice.newModule("first", ModuleType::Mixer);
  PatchModule* second = voice.newModule("second", ModuleType::Mixer);
  voice.bindModule(*first, &own[0], rateKernel());
  voice.bindModule(*second, &own[1], rateKernel());
  voice.newModuleOver("view of first", ModuleType::Mixer, *first);
  PatchModule owner;  // stands in for a shared record
  owner.dsp = &sharedObject;
  voice.wrapSharedModule(owner, "wrapped", ModuleType::Constant);

  ASSERT_TRUE(voice.setSampleRate(88200));
  for (const RateProbe& p : own) {
    EXPECT_EQ(p.calls, 1);
    EXPECT_EQ(p.rate, 88200);
  }
  EXPECT_EQ(sharedObject.calls, 0);  // shared objects hear it from SharedModules
  EXPECT_FALSE(voice.setSampleRate(0));
  EXPECT_EQ(own[0].calls, 1);
}

TEST(SampleRate, SharedModulesKeepTheirOwnRate) {
  SharedModules unusable(-5);
  EXPECT_EQ(unusable.sampleRate(), kDefaultSampleRate);
  SharedModules shared(96000);
  PatchVoice voice(96000);
  shared.leftInput = SharedModules::create("Left Input", ModuleType::InputBus, voice);
  EXPECT_EQ(shared.sampleRate(), 96000);
  EXPECT_TRUE(shared.setSampleRate(44100));
  EXPECT_EQ(shared.sampleRate(), 44100);
  for (int bad : {0, INT_MIN, kMaxSampleRate + 1}) {
    EXPECT_FALSE(shared.setSampleRate(bad)) << bad;
    EXPECT_EQ(shared.sampleRate(), 44100) << bad;
  }
}
