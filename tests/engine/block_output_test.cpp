// The output stage: DC blocker, sample-rate changes, the pan law, the reverb return, the
// meters and the MIDI light.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "engine/kernels/pan_control.h"
#include "tests/engine/block_fixture.h"

namespace {

// A unit step into the DC blocker gives 2, 2R, 2R^2, ... with R = 1 - 10 / rate.
void expectStepResponse(const std::vector<float>& out, double rate, int count) {
  const double r = static_cast<float>(1.0 - 10.0 / rate);
  ASSERT_GE(static_cast<int>(out.size()), count);
  for (int n = 0; n < count; ++n) {
    ASSERT_NEAR(out[n], 2.0 * std::pow(r, n), 2e-5) << "frame " << n << " at " << rate;
  }
}

}  // namespace

TEST(BlockOutput, DcBlockerStepResponse) {
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    DcBlocker blocker;
    blocker.r = dcBlockerCoefficient(rate);
    std::vector<float> left(3000), right(3000);
    for (int n = 0; n < 3000; ++n) {
      float l = 1.0f, r = -0.5f;
      dcBlock(blocker, l, r);
      left[n] = l;
      right[n] = r;
    }
    EXPECT_EQ(left[0], 2.0f);
    EXPECT_EQ(right[0], -1.0f);
    expectStepResponse(left, rate, 3000);
  }
}

TEST(BlockOutput, DcBlockerClearsBrokenState) {
  DcBlocker blocker;
  blocker.r = dcBlockerCoefficient(44100.0);
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e-41f}) {
    blocker.reset();
    blocker.y1[0] = bad;
    float l = 0.0f, r = 0.0f;
    dcBlock(blocker, l, r);
    EXPECT_EQ(l, 0.0f) << bad;
  }
}

// Through the engine: a voice whose dry signal is 1.0 from the first frame.
TEST(BlockOutput, EngineStepFollowsEveryAcceptedRate) {
  for (float rate : {44100.0f, 48000.0f, 22050.0f}) {
    BlockRig rig(44100.0f);
    ASSERT_TRUE(rig.engine->setSampleRate(rate));
    rig.setSourceValue(10.0f);
    rig.start();
    rig.run(2048);
    expectStepResponse(rig.left, rate, 2048);
    expectStepResponse(rig.right, rate, 2048);
  }
}

TEST(BlockOutput, AbsurdSampleRatesAreRefused) {
  BlockRig rig(48000.0f);
  const float refused[] = {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(), 1.0e9f, 10.0f};
  for (float rate : refused) {
    EXPECT_FALSE(rig.engine->setSampleRate(rate)) << rate;
    EXPECT_EQ(rig.engine->sampleRate(), 48000.0f) << rate;
  }
  rig.setSourceValue(10.0f);
  rig.start();
  rig.run(512);
  expectStepResponse(rig.left, 48000.0, 512);
}

TEST(BlockOutput, PanLawMatchesCosines) {
  const double pi = std::numbers::pi;
  const double positions[] = {0.0, 0.25, 0.5, 0.75, 1.0};
  for (double p : positions) {
    const double left = p <= 0.5 ? 1.0 : std::cos((p - 0.5) * pi);
    const double right = p >= 0.5 ? 1.0 : std::cos((0.5 - p) * pi);
    float l = -1.0f, r = -1.0f;
    qv::panLaw(static_cast<float>(p), l, r);
    EXPECT_NEAR(l, left, 1e-6) << p;
    EXPECT_NEAR(r, right, 1e-6) << p;
  }
  float l, r;
  qv::panLaw(1.0f, l, r);
  EXPECT_NEAR(l, 0.0f, 1e-6f);
  qv::panLaw(0.5f, l, r);
  EXPECT_EQ(l, 1.0f);
  EXPECT_EQ(r, 1.0f);
}

// A pan control on a voice at 44100 Hz; the test thread plays the audio thread.
class PanGains : public ::testing::Test {
 protected:
  void SetUp() override {
    voice.setSampleRate(44100);
  }

  // Steps the ramps (and the gains after them) until the position arrives; the step count.
  int settle() {
    int steps = 0;
    while (pan.panInput->arrived == 0 && steps < 10000) {
      voice.advanceRamps();
      pan.updateGains();
      ++steps;
    }
    return steps;
  }

  AudioThreadScope audioThread;
  PatchVoice voice;
  qv::PanControl pan{voice};
};

// The gains follow the position while it ramps and are kept once it has arrived.
TEST_F(PanGains, RecomputedOnlyWhileMoving) {
  pan.setPan(0.75f);
  EXPECT_EQ(settle(), 4000);
  // The gains belong to the arrived position, not to the last step before it.
  EXPECT_NEAR(pan.gainLeft, std::cos(0.25 * std::numbers::pi), 1e-6);
  EXPECT_EQ(pan.gainRight, 1.0f);
  pan.gainLeft = 0.125f;  // marks the stored gain: an arrived position computes nothing
  voice.advanceRamps();
  pan.updateGains();
  EXPECT_EQ(pan.gainLeft, 0.125f);
}

// A move too small to ramp arrives in one step; the gains still follow it.
TEST_F(PanGains, FollowMoveThatArrivesAtOnce) {
  pan.setPan(0.9f);
  settle();
  pan.setPan(0.9001f);  // step (0.0001 / 4000) is below the ramp threshold
  EXPECT_EQ(settle(), 1);
  EXPECT_NEAR(pan.gainLeft, std::cos((0.9001 - 0.5) * std::numbers::pi), 1e-6);
}

// The engine applies the pan gains to the dry signal of both channels.
TEST(BlockOutput, EnginePansDrySignal) {
  BlockRig rig;
  PatchVoice& first = rig.engine->voice(0);
  rig.engine->shared().pan = SharedModules::create("Pan Control 1", ModuleType::Pan, first);
  auto* pan = static_cast<qv::PanControl*>(rig.engine->shared().pan->dsp);
  ASSERT_NE(pan, nullptr);
  rig.setSourceValue(10.0f);
  first.rampRate.store(fadedRampRate(44100));
  rig.start();
  pan->setPan(1.0f);  // from this (non-audio) thread: handed over
  rig.run(4096);
  // Hard right after the 40-frame ramp: the left gain is cos(pi / 2), the right gain 1; what
  // is left on the left channel is the DC blocker's answer to the ramp.
  EXPECT_GT(rig.right.back(), 0.5f);
  EXPECT_LT(std::fabs(rig.left.back()), 0.01f * rig.right.back());
  EXPECT_NEAR(pan->gainLeft, 0.0f, 1e-6f);
  EXPECT_EQ(pan->gainRight, 1.0f);
}

TEST(BlockOutput, ReverbStageRunsOnlyWhenHeard) {
  PatchVoice voice(44100);
  qv::ReverbModule reverb(voice, 44100);
  qv::ReverbModel& model = reverb.core.model;
  const ModuleKernel& row = moduleKernel(ModuleType::Reverb);

  // Levels off and output not read: silence, model untouched.
  reverb.send = 1.0f;
  float l = 5.0f, r = 5.0f;
  const std::int32_t index = model.combs.index[qv::ReverbModel::leftComb(0)];
  processOutputStage(reverb, l, r);
  EXPECT_EQ(l, 0.0f);
  EXPECT_EQ(r, 0.0f);
  EXPECT_EQ(model.combs.index[qv::ReverbModel::leftComb(0)], index);

  // Output jack read: the model runs; levels 0 still scale the outputs to 0.
  row.output(&reverb, 0);
  EXPECT_TRUE(reverb.read);
  processOutputStage(reverb, l, r);
  EXPECT_NE(model.combs.index[qv::ReverbModel::leftComb(0)], index);

  // A runaway output is cleared and resets the model.
  reverb.leftLevelInput->gain = 0.5f;
  reverb.leftLevelInput->off = false;
  std::fill(model.block.begin(), model.block.end(), 1.0e6f);
  processOutputStage(reverb, l, r);
  EXPECT_EQ(l, 0.0f);
  EXPECT_EQ(r, 0.0f);
  EXPECT_EQ(reverb.lastLeft, 0.0f);
  EXPECT_TRUE(std::all_of(model.block.begin(), model.block.end(), [](float x) { return x == 0.0f; }));

  // A normal send (the voices' contributions summed) comes back scaled by the levels; the
  // jack reads the unscaled left.
  reverb.rightLevelInput->gain = 0.25f;
  float peak = 0.0f;
  for (int n = 0; n < 5000; ++n) {
    if (n < 100) {
      row.accumulate(&reverb, 0.5f);
      row.accumulate(&reverb, 0.5f);
    }
    processOutputStage(reverb, l, r);
    EXPECT_FLOAT_EQ(l, 0.5f * reverb.lastLeft);
    EXPECT_FLOAT_EQ(r, 0.25f * reverb.lastRight);
    peak = std::max(peak, std::fabs(l));
  }
  EXPECT_GT(peak, 0.0f);
}

// Within a block a meter follows the running sum of squares, so a steady level still rises.
TEST(BlockOutput, MetersFollowRunningSumOfSquares) {
  float meter = 0.0f;
  float sum = 0.0f;
  for (int n = 0; n < 4; ++n) {
    sum += 0.25f;
    updateMeter(meter, sum);
    EXPECT_FLOAT_EQ(meter, sum);
  }
  updateMeter(meter, 0.0f);
  EXPECT_FLOAT_EQ(meter, 1.0f * 0.9999f);
  meter = std::numeric_limits<float>::quiet_NaN();
  updateMeter(meter, 0.0f);
  EXPECT_EQ(meter, 0.0f);
}

namespace {

struct LightProbe {
  VoiceEngine* engine = nullptr;
  bool fire = false;
};

int lightOnFirstFrame(void* context, int sampleIndex) {
  auto* probe = static_cast<LightProbe*>(context);
  if (!probe->fire || sampleIndex != 0) return sampleIndex + 1;
  probe->engine->lightMidi();
  probe->engine->setLearnWord(0xE040);
  probe->fire = false;
  return sampleIndex + 1;
}

}  // namespace

// The light and the learn word stay up for about 200 ms whatever the block size.
TEST(BlockOutput, MidiLightHeldForFixedTime) {
  const double rate = 44100.0;
  const int hold = static_cast<int>(std::lround(0.2 * rate));
  for (int frames : {32, 4096}) {
    BlockRig rig(static_cast<float>(rate));
    LightProbe probe{rig.engine.get(), true};
    rig.engine->setMidiDispatch(&lightOnFirstFrame, &probe);
    rig.start();
    int litFrames = 0;
    for (int block = 0; block < 2 * hold / frames + 4; ++block) {
      rig.run(frames);
      const bool lit = rig.engine->displayValue(kDisplayMidiLight) == 1.0f;
      EXPECT_EQ(rig.engine->displayValue(kDisplayLearnWord), lit ? static_cast<float>(0xE040) : 0.0f);
      if (lit) litFrames += frames;
    }
    EXPECT_GE(litFrames, hold) << frames;
    EXPECT_LT(litFrames, hold + frames) << frames;
    EXPECT_EQ(rig.engine->displayValue(kDisplayBlockFrames), static_cast<float>(frames));
  }
}

// The audio-input row: a generator whose output is the preamp gain times the stored sample.
TEST(BlockOutput, AudioInputRowGivesPreampTimesSample) {
  const ModuleKernel& row = moduleKernel(ModuleType::AudioIn);
  ASSERT_NE(row.create, nullptr);
  ASSERT_NE(row.output, nullptr);
  EXPECT_TRUE(row.generator);
  PatchVoice voice;
  void* dsp = row.create(voice, 44100, 0);
  auto* input = static_cast<qv::AudioInput*>(dsp);
  input->takeSample(0.5f);
  EXPECT_EQ(row.output(dsp, 0), 0.5f);
  input->setPreampGain(3.0f);
  EXPECT_EQ(row.output(dsp, 0), 1.5f);
  row.destroy(dsp);
  EXPECT_NE(moduleKernel(ModuleType::Pan).create, nullptr);
  EXPECT_EQ(moduleKernel(ModuleType::Pan).output, nullptr);
}
