// Gain ramps: timing at the normal and the faded rate, snapping, off flags, glides, and
// requests handed over from other threads.
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "tests/engine/graph_fixture.h"

namespace {

// Steps the voice's ramps until input arrives; returns the number of steps taken.
int stepsToArrive(PatchVoice& voice, PatchInput* input, int limit) {
  for (int n = 1; n <= limit; ++n) {
    voice.advanceRamps();
    if (input->arrived != 0) return n;
  }
  return -1;
}

bool onRampList(const PatchVoice& voice, const PatchInput* input) {
  for (const PatchInput* in = voice.rampList; in != nullptr; in = in->nextRamp) {
    if (in == input) return true;
  }
  return false;
}

}  // namespace

TEST_F(GraphTest, NewInputArrivesAtFirstStepWithSanitisedGain) {
  const float cases[] = {0.5f, 0.0f, std::nanf(""), std::numeric_limits<float>::infinity(), 1e-40f, -3.0f,
                         -5e-7f, -2e-6f, 5e-7f};
  for (float g : cases) {
    PatchInput* in = voice.newInput(g, 2);
    const float expected = std::isfinite(g) && std::fabs(g) > 1e-30f ? g : 0.0f;
    EXPECT_EQ(in->gain, expected);
    EXPECT_EQ(in->target, expected);
    EXPECT_EQ(in->off, std::fabs(expected) < 1e-6f);
    EXPECT_EQ(in->outputIndex, 2);
    EXPECT_TRUE(onRampList(voice, in));
    EXPECT_EQ(stepsToArrive(voice, in, 1), 1);
    EXPECT_FALSE(onRampList(voice, in));
  }
}

TEST(RampTiming, RampCoversDistanceInStatedSamples) {
  AudioThreadScope audioThread;
  struct Case {
    int sampleRate;
    bool faded;
    float from, to;
    int samples;
  };
  const Case cases[] = {{44100, false, 0.0f, 1.0f, 4000}, {48000, false, 0.0f, 1.0f, 4000},
                        {96000, false, 1.0f, -0.5f, 4000}, {44100, true, 0.0f, 1.0f, 40},
                        {48000, true, 10.0f, 0.0f, 40},    {22050, false, 0.25f, 0.75f, 4000}};
  for (const Case& c : cases) {
    PatchVoice voice(c.sampleRate);
    voice.rampRate.store(c.faded ? fadedRampRate(c.sampleRate) : normalRampRate(c.sampleRate));
    PatchInput* in = voice.newInput(c.from, 0);
    voice.advanceRamps();
    voice.rampTo(in, c.to);
    const float perSample = (c.to - c.from) / static_cast<float>(c.samples);
    EXPECT_FLOAT_EQ(in->step, perSample);
    voice.advanceRamps();
    EXPECT_NEAR(in->gain, c.from + perSample, 1e-6f);
    const int n = stepsToArrive(voice, in, 2 * c.samples);
    // Float accumulation may leave the last regular step a hair short of the target.
    EXPECT_GE(n + 1, c.samples) << c.sampleRate;
    EXPECT_LE(n + 1, c.samples + 1) << c.sampleRate;
    EXPECT_EQ(in->gain, c.to);  // snapped exactly
    EXPECT_FALSE(onRampList(voice, in));
  }
}

TEST_F(GraphTest, RampToZeroTurnsInputOffAsSoonAsGainIsTiny) {
  voice.rampRate.store(fadedRampRate(44100));
  PatchInput* in = voice.newInput(1.0f, 0);
  voice.advanceRamps();
  voice.rampTo(in, 0.0f);
  for (int n = 0; n < 100 && in->arrived == 0; ++n) {
    voice.advanceRamps();
    EXPECT_EQ(in->off, std::fabs(in->gain) < 1e-6f) << in->gain;
  }
  EXPECT_EQ(in->arrived, 1);
  EXPECT_TRUE(in->off);
  EXPECT_EQ(in->gain, 0.0f);
}

TEST_F(GraphTest, RampToCurrentGainArrivesAtNextStep) {
  PatchInput* in = voice.newInput(0.3f, 0);
  voice.advanceRamps();
  voice.rampTo(in, 0.3f);
  EXPECT_EQ(in->step, 0.0f);
  EXPECT_TRUE(onRampList(voice, in));
  EXPECT_EQ(stepsToArrive(voice, in, 1), 1);
  EXPECT_EQ(in->gain, 0.3f);
}

TEST_F(GraphTest, SmallDistancesSnapAtOnce) {
  // A per-sample step below 1e-6 counts as arrived.
  PatchInput* in = voice.newInput(0.0f, 0);
  voice.advanceRamps();
  voice.rampTo(in, 0.002f);  // step 0.002 / 4000 = 5e-7
  EXPECT_EQ(stepsToArrive(voice, in, 1), 1);
  EXPECT_EQ(in->gain, 0.002f);
}

TEST_F(GraphTest, RetargetingAMovingRampKeepsOneListEntry) {
  PatchInput* in = voice.newInput(0.0f, 0);
  voice.advanceRamps();
  voice.rampTo(in, 1.0f);
  voice.advanceRamps();
  voice.rampTo(in, -1.0f);
  int entries = 0;
  for (PatchInput* p = voice.rampList; p != nullptr; p = p->nextRamp) entries += p == in;
  EXPECT_EQ(entries, 1);
  EXPECT_LT(in->step, 0.0f);
  EXPECT_GT(stepsToArrive(voice, in, 10000), 0);
  EXPECT_EQ(in->gain, -1.0f);
}

TEST_F(GraphTest, GlideWithGivenStepTakesItsSampleCount) {
  // A portamento glide over n samples: step (target - gain) / n.
  for (int n : {1, 2, 441, 4410}) {
    PatchInput* in = voice.newInput(0.5f, 0);
    voice.advanceRamps();
    const float target = 2.5f;
    voice.rampWithStep(in, target, (target - in->gain) / static_cast<float>(n));
    const int taken = stepsToArrive(voice, in, 2 * n + 2);
    EXPECT_GE(taken, n) << n;
    EXPECT_LE(taken, n + 1) << n;
    EXPECT_EQ(in->gain, target);
  }
}

TEST_F(GraphTest, UnusableRampValuesAreAbsorbed) {
  PatchInput* in = voice.newInput(1.0f, 0);
  voice.advanceRamps();
  voice.rampTo(in, std::nanf(""));
  EXPECT_GT(stepsToArrive(voice, in, 5000), 0);
  EXPECT_EQ(in->gain, 0.0f);
  voice.rampWithStep(in, 1.0f, std::numeric_limits<float>::infinity());
  EXPECT_EQ(stepsToArrive(voice, in, 1), 1);
  EXPECT_EQ(in->gain, 1.0f);
}

TEST_F(GraphTest, RampedGainScalesTheEvaluatedValue) {
  ProbeObject g;
  g.value = 2.0f;
  PatchModule* gen = probe(g, generatorKernel());
  PatchInput* in = wire(gen, voice.output, false, 0.0f);
  runSample();
  voice.rampRate.store(fadedRampRate(44100));
  voice.rampTo(in, 1.0f);
  float last = 0.0f;
  for (int n = 1; n <= 40; ++n) {
    const float out = runSample();  // ramps advance before the evaluation
    EXPECT_GT(out, last);
    last = out;
  }
  EXPECT_FLOAT_EQ(runSample(), 2.0f);
}

// Ramp requests from a thread that is not the audio thread.

TEST(RampHandOver, RequestsOffTheAudioThreadWaitForTheNextSample) {
  PatchVoice voice;
  voice.rampRate.store(normalRampRate(44100));
  PatchInput* in = voice.newInput(0.0f, 0);
  {
    AudioThreadScope audio;
    voice.advanceRamps();
  }
  for (int k = 1; k <= 50; ++k) voice.rampTo(in, 0.01f * k);  // a knob drag from the GUI
  EXPECT_EQ(in->target, 0.0f);  // nothing of the audio thread's state has moved
  EXPECT_EQ(voice.pendingCommandCount(), 1u);  // the newest request replaced the older ones
  {
    AudioThreadScope audio;
    voice.advanceRamps();
  }
  EXPECT_EQ(voice.pendingCommandCount(), 0u);
  EXPECT_FLOAT_EQ(in->target, 0.5f);
  EXPECT_FLOAT_EQ(in->step, 0.5f / 4000.0f);  // derived on the audio thread from the live gain
  EXPECT_NEAR(in->gain, 0.5f / 4000.0f, 1e-9f);
}

TEST(RampHandOver, GlideRequestKeepsItsStep) {
  PatchVoice voice;
  voice.rampRate.store(normalRampRate(44100));
  PatchInput* in = voice.newInput(0.0f, 0);
  voice.rampWithStep(in, 1.0f, 0.25f);
  AudioThreadScope audio;
  voice.advanceRamps();
  EXPECT_FLOAT_EQ(in->step, 0.25f);
  // 0.5, 0.75, then exactly 1.0 (not past it), and the step past the target snaps.
  EXPECT_EQ(stepsToArrive(voice, in, 10), 4);
  EXPECT_EQ(in->gain, 1.0f);
}

TEST(RampHandOver, FullQueueDoesNotLoseRampRequests) {
  PatchVoice voice;
  voice.rampRate.store(normalRampRate(44100));
  std::vector<PatchInput*> inputs;
  for (int i = 0; i < 8; ++i) inputs.push_back(voice.newInput(0.0f, 0));
  EngineCommand filler;
  filler.kind = EngineCommandKind::User;
  while (voice.postCommand(filler)) {
  }
  for (int i = 0; i < 8; ++i) voice.rampTo(inputs[i], 1.0f + i);
  AudioThreadScope audio;
  voice.applyCommands();
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(inputs[i]->target, 1.0f + i) << i;
}

// One thread hammers ramp requests (derived and given steps) on several inputs of a graph
// while another plays the audio thread and runs whole samples. Once both stop and the queue
// has drained, every ramp has ended at its last requested target. Run under the thread
// sanitizer this also shows the hand-over has no data race.
TEST(RampHandOver, HammeredRampsEndAtTheLastRequestedTargets) {
  constexpr int kInputs = 8;
  constexpr int kMoves = 20000;
  PatchVoice voice;
  voice.rampRate.store(fadedRampRate(44100));
  voice.output = voice.newModule("OUTPUT", ModuleType::Output);
  PatchModule* sum = voice.newModule("Mixer 1", ModuleType::Mixer);
  PatchInput* toOutput = voice.newInput(1.0f, 0);
  setNormalSource(*toOutput, sum, 0);
  appendAudioInput(*voice.output, toOutput);
  ProbeObject sources[kInputs];
  PatchInput* inputs[kInputs];
  for (int i = 0; i < kInputs; ++i) {
    sources[i].value = static_cast<float>(1 << i);  // each input's share is told apart in the sum
    PatchModule* m = voice.newModule("source", ModuleType::Mixer);
    voice.bindModule(*m, &sources[i], generatorKernel());
    inputs[i] = voice.newInput(0.0f, 0);
    setNormalSource(*inputs[i], m, 0);
    appendAudioInput(*sum, inputs[i]);
  }
  auto targetOf = [](int k) { return static_cast<float>(k % 5) * 0.25f; };  // 0 .. 1

  std::atomic<bool> done{false};
  float lastOutput = -1.0f;
  std::thread audio([&] {
    AudioThreadScope scope;
    while (!done.load()) {
      prepareVoiceSample(voice);
      processVoiceSample(voice);
    }
    for (int n = 0; n < 200; ++n) {  // drain the queue and let every ramp arrive
      prepareVoiceSample(voice);
      lastOutput = processVoiceSample(voice);
    }
  });
  for (int k = 1; k <= kMoves; ++k) {
    PatchInput* in = inputs[k % kInputs];
    if (k % 3 == 0) {
      voice.rampWithStep(in, targetOf(k), (k % 2 ? 0.05f : -0.05f));  // a glide, either way
    } else {
      voice.rampTo(in, targetOf(k));
    }
  }
  done.store(true);
  audio.join();

  EXPECT_EQ(voice.pendingCommandCount(), 0u);
  float expectedOutput = 0.0f;
  for (int i = 0; i < kInputs; ++i) {
    const int last = kMoves - ((kMoves - i) % kInputs);  // the last k with k % kInputs == i
    const float target = targetOf(last);
    EXPECT_EQ(inputs[i]->target, target) << i;
    EXPECT_EQ(inputs[i]->gain, target) << i;
    EXPECT_EQ(inputs[i]->arrived, 1) << i;
    expectedOutput += target * sources[i].value;
  }
  EXPECT_FLOAT_EQ(lastOutput, expectedOutput);
  EXPECT_EQ(voice.rampList, nullptr);
}
