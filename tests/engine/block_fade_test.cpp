// The output fade around a patch change: the schedule per block, the ramp-rate switches of
// every voice, and changes posted while no block can fade.
#include <algorithm>
#include <cmath>

#include "tests/engine/block_fixture.h"

namespace {

void expectRampRates(VoiceEngine& engine, float rate, const char* when) {
  for (int v = 0; v < kVoiceContextCount; ++v) EXPECT_FLOAT_EQ(engine.voice(v).rampRate.load(), rate) << when << " voice " << v;
}

}  // namespace

// The gain falls by 10 x frames / rate per block (closed form max(0, 1 - k x step)); the
// block after the one that reaches 0 raises faded-out; after the change is finished it rises
// by the same step back to 1. Every frame of the faded engine is the unfaded output times
// the gain of that block.
TEST(BlockFade, ScheduleFollowsClosedForm) {
  struct Case {
    float rate;
    int frames;
  };
  for (const Case c : {Case{44100.0f, 512}, Case{48000.0f, 64}}) {
    SCOPED_TRACE(c.rate);
    BlockRig faded(c.rate);
    BlockRig reference(c.rate);
    for (BlockRig* rig : {&faded, &reference}) {
      rig->setSourceValue(3.0f);
      rig->engine->setVoiceCount(8);
      rig->start();
    }
    const double step = 10.0 * c.frames / c.rate;
    faded.engine->postPatchChange();
    EXPECT_FALSE(faded.engine->fadedOut());

    int block = 0;
    int reachedZero = -1;
    while (!faded.engine->fadedOut() && block < 1000) {
      ++block;
      faded.run(c.frames);
      reference.run(c.frames);
      const double expected = std::max(0.0, 1.0 - block * step);
      const float gain = faded.engine->fadeGain();
      if (!faded.engine->fadedOut()) {
        ASSERT_NEAR(gain, expected, 1e-4) << "block " << block;
      }
      for (int i = 0; i < c.frames; ++i) ASSERT_FLOAT_EQ(faded.left[i], reference.left[i] * gain) << i;
      if (gain <= 0.0f && reachedZero < 0) reachedZero = block;
    }
    ASSERT_TRUE(faded.engine->fadedOut());
    EXPECT_EQ(block, reachedZero + 1) << "faded-out is raised by the block after the gain reached 0";
    EXPECT_NEAR(reachedZero, std::ceil(1.0 / step), 1.0);
    expectRampRates(*faded.engine, c.rate / 40.0f, "faded out");
    for (int i = 0; i < c.frames; ++i) EXPECT_EQ(faded.left[i], 0.0f);

    // Waiting: the state holds.
    faded.run(c.frames);
    EXPECT_TRUE(faded.engine->fadedOut());
    EXPECT_EQ(faded.engine->fadeGain(), 0.0f);

    faded.engine->finishPatchChange();
    EXPECT_FALSE(faded.engine->fadedOut());
    EXPECT_FALSE(faded.engine->patchChangePending());
    int up = 0;
    while (faded.engine->fadeGain() < 1.0f && up < 1000) {
      ++up;
      faded.run(c.frames);
      if (faded.engine->fadeGain() < 1.0f) {
        ASSERT_NEAR(faded.engine->fadeGain(), up * step, 1e-4);
        expectRampRates(*faded.engine, c.rate / 40.0f, "fading in");
      }
    }
    EXPECT_EQ(faded.engine->fadeGain(), 1.0f);
    EXPECT_NEAR(up, std::ceil(1.0 / step), 1.0);
    expectRampRates(*faded.engine, c.rate / 4000.0f, "faded in");
  }
}

TEST(BlockFade, EightBlocksOf512At44100) {
  BlockRig rig(44100.0f);
  rig.start();
  rig.engine->postPatchChange();
  for (int k = 0; k < 8; ++k) rig.run(512);
  EXPECT_NEAR(rig.engine->fadeGain(), 0.0712f, 1e-4f);
  rig.run(512);
  EXPECT_EQ(rig.engine->fadeGain(), 0.0f);
  EXPECT_FALSE(rig.engine->fadedOut());
  rig.run(512);
  EXPECT_TRUE(rig.engine->fadedOut());
}

// No block fades while bypassed, not ready or suspended: a posted change must not leave a
// waiting caller hanging, so faded-out comes at once.
TEST(BlockFade, ChangeCompletesAtOnceWhenNothingFades) {
  struct Case {
    const char* name;
    bool ready, processing, bypassed;
  };
  const Case cases[] = {{"bypassed", true, true, true}, {"not ready", false, true, false}, {"suspended", true, false, false}};
  for (const Case& c : cases) {
    BlockRig rig;
    rig.engine->setReady(c.ready);
    rig.engine->setProcessing(c.processing);
    rig.engine->setBypassed(c.bypassed);
    rig.engine->postPatchChange();
    EXPECT_TRUE(rig.engine->fadedOut()) << c.name;
    EXPECT_TRUE(rig.engine->patchChangePending()) << c.name;
    rig.engine->finishPatchChange();
    EXPECT_FALSE(rig.engine->patchChangePending()) << c.name;
  }
}

// A change posted while running, then bypass or suspend: the next bypassed block, or the
// suspend itself, raises faded-out.
TEST(BlockFade, BypassOrSuspendDuringFadeCompletes) {
  BlockRig bypassed;
  bypassed.start();
  bypassed.engine->postPatchChange();
  bypassed.run(64);
  EXPECT_FALSE(bypassed.engine->fadedOut());
  bypassed.engine->setBypassed(true);
  bypassed.run(64);
  EXPECT_TRUE(bypassed.engine->fadedOut());

  BlockRig suspended;
  suspended.start();
  suspended.engine->postPatchChange();
  suspended.run(64);
  suspended.engine->setProcessing(false);
  EXPECT_TRUE(suspended.engine->fadedOut());
}

// Without a change in flight the output is left exactly as rendered.
TEST(BlockFade, RestLeavesOutputUntouched) {
  BlockRig rig;
  rig.setSourceValue(2.0f);
  rig.start();
  rig.run(16);
  EXPECT_EQ(rig.engine->fadeGain(), 1.0f);
  EXPECT_FLOAT_EQ(rig.left[0], 2.0f * 0.1f * 2.0f);
}
