// The block process: bypass, buffer handling, the MIDI dispatch hook, extra voices and beat
// sync.
#include <cmath>
#include <random>
#include <vector>

#include "engine/kernels/internal_clock.h"
#include "engine/kernels/keyboard_lfo.h"
#include "tests/engine/block_fixture.h"

namespace {

// Records the frames the dispatch hook is called at; asks for the frame `ahead` frames on and
// changes the voice count when called at frame countAt.
struct HookLog {
  VoiceEngine* engine = nullptr;
  int ahead = 1;
  int countAt = -1;
  std::vector<int> indexes;
};

int recordIndex(void* context, int sampleIndex) {
  auto* log = static_cast<HookLog*>(context);
  log->indexes.push_back(sampleIndex);
  if (sampleIndex == log->countAt) log->engine->setVoiceCount(log->engine->voiceCount() + 1);
  return sampleIndex + log->ahead;
}

std::vector<float> noise(int frames, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  std::vector<float> v(frames);
  for (float& x : v) x = dist(random);
  return v;
}

}  // namespace

TEST(BlockProcess, BypassGivesZerosAndMetersZero) {
  BlockRig rig;
  rig.setSourceValue(5.0f);
  rig.start();
  rig.run(256);
  EXPECT_NE(rig.left[0], 0.0f);
  EXPECT_GT(rig.engine->displayValue(kDisplayLeftMeter), 0.0f);
  EXPECT_GT(rig.engine->displayValue(kDisplayRightMeter), 0.0f);

  rig.engine->setBypassed(true);
  rig.left.assign(256, 7.0f);
  rig.right.assign(256, 7.0f);
  rig.engine->processBlock(nullptr, nullptr, rig.left.data(), rig.right.data(), 256, nullptr);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(rig.left[i], 0.0f) << i;
    ASSERT_EQ(rig.right[i], 0.0f) << i;
  }
  EXPECT_EQ(rig.engine->displayValue(kDisplayLeftMeter), 0.0f);
  EXPECT_EQ(rig.engine->displayValue(kDisplayRightMeter), 0.0f);
}

TEST(BlockProcess, NotReadyGivesZeros) {
  BlockRig rig;
  rig.setSourceValue(5.0f);
  rig.engine->setProcessing(true);
  rig.run(64);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(rig.left[i], 0.0f);
}

// The host may hand the same buffers for input and output; the result must not change.
TEST(BlockProcess, InPlaceAndSeparateBuffersGiveIdenticalOutput) {
  const int frames = 300;
  BlockRig separate;
  BlockRig inPlace;
  for (BlockRig* rig : {&separate, &inPlace}) {
    rig->addAudioInputs();
    rig->setSourceValue(0.25f);
    rig->start();
  }
  for (int block = 0; block < 4; ++block) {
    const std::vector<float> in1 = noise(frames, 11 + block);
    const std::vector<float> in2 = noise(frames, 97 + block);
    std::vector<float> out1(frames), out2(frames);
    separate.engine->processBlock(in1.data(), in2.data(), out1.data(), out2.data(), frames, nullptr);
    std::vector<float> io1 = in1, io2 = in2;
    inPlace.engine->processBlock(io1.data(), io2.data(), io1.data(), io2.data(), frames, nullptr);
    for (int i = 0; i < frames; ++i) {
      ASSERT_EQ(out1[i], io1[i]) << "block " << block << " frame " << i;
      ASSERT_EQ(out2[i], io2[i]) << "block " << block << " frame " << i;
    }
    // The inputs reach the outputs (the comparison is not between two silences).
    EXPECT_NE(out1[frames / 2], 0.0f);
    EXPECT_NE(out1[frames / 2], out2[frames / 2]);
  }
}

TEST(BlockProcess, MissingInputBufferIsSkipped) {
  const int frames = 128;
  BlockRig withNull;
  BlockRig withZeros;
  for (BlockRig* rig : {&withNull, &withZeros}) {
    rig->addAudioInputs();
    rig->setSourceValue(1.0f);
    rig->start();
  }
  const std::vector<float> zeros(frames, 0.0f);
  std::vector<float> a1(frames), a2(frames), b1(frames), b2(frames);
  withNull.engine->processBlock(nullptr, nullptr, a1.data(), a2.data(), frames, nullptr);
  withZeros.engine->processBlock(zeros.data(), zeros.data(), b1.data(), b2.data(), frames, nullptr);
  EXPECT_EQ(a1, b1);
  EXPECT_EQ(a2, b2);
}

// The dispatch hook is called at frame 0, at the frames it asks for and at the frame after
// a call that changed the voice count, whether the engine renders or not.
TEST(BlockProcess, MidiHookCalledAtTheFramesItAsksFor) {
  struct State {
    bool ready, bypassed;
  };
  struct Case {
    int ahead, countAt;
    std::vector<int> frames;
  };
  std::vector<int> everyFrame(37);
  for (int i = 0; i < 37; ++i) everyFrame[i] = i;
  const Case cases[] = {
      {1, -1, everyFrame},
      {10, -1, {0, 10, 20, 30}},
      {100, -1, {0}},
      {10, 10, {0, 10, 11, 21, 31}},
      {100, 0, {0, 1}},
  };
  for (const State s : {State{true, false}, State{true, true}, State{false, false}}) {
    for (const Case& c : cases) {
      BlockRig rig;
      HookLog log{rig.engine.get(), c.ahead, c.countAt, {}};
      rig.engine->setMidiDispatch(&recordIndex, &log);
      rig.engine->setProcessing(true);
      rig.engine->setReady(s.ready);
      rig.engine->setBypassed(s.bypassed);
      rig.run(37);
      EXPECT_EQ(log.indexes, c.frames) << s.ready << s.bypassed << " ahead " << c.ahead;
      // Every block starts again at frame 0.
      log.indexes.clear();
      log.countAt = -1;
      rig.run(5);
      ASSERT_FALSE(log.indexes.empty());
      EXPECT_EQ(log.indexes.front(), 0);
    }
  }
}

// Extra voices join the sum up to the voice count; context 8 is included at count 8.
TEST(BlockProcess, VoiceCountSelectsContexts) {
  for (int count : {0, 1, 8}) {
    BlockRig rig;
    for (int v = 0; v < kVoiceContextCount; ++v) rig.sources[v].value = static_cast<float>(1 << v);
    rig.engine->setVoiceCount(count);
    rig.start();
    rig.run(1);
    const float sum = static_cast<float>((2 << count) - 1);
    // First frame after the DC blocker: 2 x dry, dry = 0.1 x the voices' sum.
    EXPECT_FLOAT_EQ(rig.left[0], 2.0f * 0.1f * sum) << count;
  }
  BlockRig rig;
  rig.engine->setVoiceCount(20);
  EXPECT_EQ(rig.engine->voiceCount(), kMaxExtraVoices);
}

TEST(BlockProcess, BeatSyncSetsClockLevelAndLfoPhase) {
  BlockRig rig;
  qv::InternalClock clock(44100);
  qv::KeyboardLfo lfo(44100);
  SharedModules& shared = rig.engine->shared();
  // Records over objects the test owns (ownsDsp stays false).
  shared.clock = new PatchModule;
  shared.clock->type = ModuleType::Clock;
  shared.clock->dsp = &clock;
  shared.keyboardLfo = new PatchModule;
  shared.keyboardLfo->type = ModuleType::KeyboardLfo;
  shared.keyboardLfo->dsp = &lfo;
  rig.engine->setClockSync(true);
  rig.engine->setLfoSync(true);
  rig.engine->setClockScale(2.0f);
  rig.engine->setLfoScale(0.5f);
  rig.engine->setLfoOffset(0.25f);
  rig.start();

  struct Case {
    double ppq;
    float clockOffset;
    float level;
  };
  // Clock periods = ppq x 2 + offset; low in the first half of a period, 10 V in the second.
  const Case cases[] = {{0.1, 0.0f, 0.0f}, {0.3, 0.0f, 10.0f}, {1.3, 0.0f, 10.0f}, {1.6, 0.0f, 0.0f}, {0.1, 0.5f, 10.0f},
                        {-0.1, 0.0f, 10.0f}};
  std::vector<float> l(8), r(8);
  for (const Case& c : cases) {
    rig.engine->setClockOffset(c.clockOffset);
    rig.engine->processBlock(nullptr, nullptr, l.data(), r.data(), 8, &c.ppq);
    EXPECT_EQ(clock.syncedOutput(), c.level) << c.ppq << " " << c.clockOffset;
    EXPECT_FLOAT_EQ(lfo.syncedPhase, static_cast<float>(c.ppq) * 0.5f + 0.25f);
  }
  // Without a position nothing changes.
  lfo.syncedPhase = 3.0f;
  clock.setSyncedLevel(10.0f);
  rig.engine->setClockOffset(0.0f);
  const double early = 0.1;
  rig.engine->setLfoSync(false);
  rig.engine->processBlock(nullptr, nullptr, l.data(), r.data(), 8, nullptr);
  EXPECT_EQ(clock.syncedOutput(), 10.0f);
  rig.engine->processBlock(nullptr, nullptr, l.data(), r.data(), 8, &early);
  EXPECT_EQ(clock.syncedOutput(), 0.0f);
  EXPECT_EQ(lfo.syncedPhase, 3.0f);  // LFO sync off
}
