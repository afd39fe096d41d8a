// Cord hand-over: every request reaches all nine voice contexts at one frame boundary, in
// the order posted, whichever thread posts it; a block takes up only what waited when it
// began. The nine contexts hold the real graph.
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/audio_thread.h"
#include "engine/voice_engine.h"
#include "engine/voice_tables.h"

namespace {

constexpr std::uint32_t kVcfIn = jackCode("pl18");   // the VCF's VCO 1 input (row 1)
constexpr std::uint32_t kVco1Saw = jackCode("pl58");  // VCO 1's sawtooth jack

// The row the cords move, in one context: its source and output index.
struct RowState {
  const PatchModule* source;
  std::int32_t outputIndex;
};

RowState rowOne(const PatchVoice& voice) {
  const PatchInput* in = voice.normalRows[1];
  return {in->source, in->outputIndex};
}

struct CordRig {
  std::unique_ptr<VoiceEngine> engine = std::make_unique<VoiceEngine>();
  long frames = 0;
  long tornFrames = 0;  // frames at which the contexts disagreed

  CordRig() {
    engine->setSampleRate(44100.0f);
    for (int v = 0; v < kVoiceContextCount; ++v) engine->voice(v).build(44100.0f, engine->shared());
    engine->setMidiDispatch(&checkFrame, this);
  }

  // Runs at every frame on the audio thread: the nine contexts must agree on row 1.
  static int checkFrame(void* context, int frame) {
    auto* rig = static_cast<CordRig*>(context);
    ++rig->frames;
    // Sources differ per context (each has its own VCO); compare by module index.
    const RowState first = rowOne(rig->engine->voice(0));
    for (int v = 1; v < kVoiceContextCount; ++v) {
      const RowState other = rowOne(rig->engine->voice(v));
      if (other.source->index != first.source->index || other.outputIndex != first.outputIndex) {
        ++rig->tornFrames;
        break;
      }
    }
    return frame + 1;
  }

  void start() {
    engine->setProcessing(true);
    engine->setReady(true);
  }

  void expectEveryContext(std::int32_t outputIndex) {
    for (int v = 0; v < kVoiceContextCount; ++v) {
      const PatchVoice& voice = engine->voice(v);
      EXPECT_EQ(rowOne(voice).source, voice.vco1) << "voice " << v;
      EXPECT_EQ(rowOne(voice).outputIndex, outputIndex) << "voice " << v;
    }
  }
};

// VCO 1's sawtooth is output 2; the VCF's normal reads its pulse, output 4.
constexpr std::int32_t kSawIndex = 2;
constexpr std::int32_t kNormalIndex = 4;

}  // namespace

// A thread patches and unpatches while the audio thread runs blocks: at no frame do the
// contexts disagree, and the last request is what stays.
TEST(BlockCord, ThreadedRequestsReachAllVoicesAtOneBoundary) {
  constexpr int kRequests = 5001;  // odd: the last one connects
  CordRig rig;
  rig.start();
  std::atomic<bool> posted{false};
  std::thread poster([&] {
    for (int k = 0; k < kRequests; ++k) {
      const std::uint32_t peer = (k % 2 == 0) ? kVco1Saw : 0;
      while (!rig.engine->requestCord(kVcfIn, peer)) std::this_thread::yield();
    }
    posted.store(true);
  });
  std::vector<float> l(64), r(64);
  while (!posted.load()) rig.engine->processBlock(nullptr, nullptr, l.data(), r.data(), 64, nullptr);
  poster.join();
  rig.engine->processBlock(nullptr, nullptr, l.data(), r.data(), 64, nullptr);
  EXPECT_GT(rig.frames, 0);
  EXPECT_EQ(rig.tornFrames, 0);
  rig.expectEveryContext(kSawIndex);
}

// While processing is off the request applies at once on the calling thread; on the audio
// thread it applies at once too.
TEST(BlockCord, AppliesAtOnceWhenProcessingIsOffOrOnAudioThread) {
  CordRig rig;
  rig.engine->setReady(true);
  ASSERT_TRUE(rig.engine->requestCord(kVcfIn, kVco1Saw));
  rig.expectEveryContext(kSawIndex);
  {
    AudioThreadScope audioThread;
    rig.engine->setProcessing(true);
    ASSERT_TRUE(rig.engine->requestCord(kVcfIn, 0));
  }
  rig.expectEveryContext(kNormalIndex);
}

// While bypassed the queue still drains.
TEST(BlockCord, BypassedBlocksTakeRequestsUp) {
  CordRig rig;
  rig.start();
  rig.engine->setBypassed(true);
  ASSERT_TRUE(rig.engine->requestCord(kVcfIn, kVco1Saw));
  rig.expectEveryContext(kNormalIndex);
  std::vector<float> l(16), r(16);
  rig.engine->processBlock(nullptr, nullptr, l.data(), r.data(), 16, nullptr);
  rig.expectEveryContext(kSawIndex);
}

namespace {

// Posts from a thread of its own, at frame 0 of a block, a cord and a command; records at
// every later frame of that block whether either was taken up.
struct MidBlockPoster {
  CordRig rig;
  bool armed = false;
  bool commandRan = false;
  bool takenUpInBlock = false;

  static int atFrame(void* context, int frame) {
    auto* self = static_cast<MidBlockPoster*>(context);
    if (!self->armed) return frame + 1;
    if (frame == 0) {
      std::thread([self] {
        self->rig.engine->requestCord(kVcfIn, kVco1Saw);
        EngineCommand command;
        command.kind = EngineCommandKind::Apply;
        command.object = self;
        command.apply = [](PatchVoice&, const EngineCommand& c) { static_cast<MidBlockPoster*>(c.object)->commandRan = true; };
        self->rig.engine->voice(0).postCommand(command);
      }).join();
    } else if (self->commandRan || rowOne(self->rig.engine->voice(0)).outputIndex == kSawIndex) {
      self->takenUpInBlock = true;
    }
    return frame + 1;
  }
};

}  // namespace

// A thread that posts while a block runs cannot keep the audio thread in it: what it posts
// waits for the start of the next block, and is taken up there.
TEST(BlockCord, ChangesPostedDuringABlockWaitForTheNext) {
  MidBlockPoster poster;
  poster.rig.engine->setMidiDispatch(&MidBlockPoster::atFrame, &poster);
  poster.rig.start();
  std::vector<float> l(64), r(64);
  poster.armed = true;
  poster.rig.engine->processBlock(nullptr, nullptr, l.data(), r.data(), 64, nullptr);
  poster.armed = false;
  EXPECT_FALSE(poster.takenUpInBlock);
  poster.rig.expectEveryContext(kNormalIndex);
  EXPECT_FALSE(poster.commandRan);
  poster.rig.engine->processBlock(nullptr, nullptr, l.data(), r.data(), 64, nullptr);
  poster.rig.expectEveryContext(kSawIndex);
  EXPECT_TRUE(poster.commandRan);
}

// A request the full queue refuses is counted, not silently lost.
TEST(BlockCord, RefusedRequestsAreCounted) {
  CordRig rig;
  rig.start();
  int accepted = 0;
  while (rig.engine->requestCord(kVcfIn, accepted % 2 ? kVco1Saw : 0)) ++accepted;
  EXPECT_GT(accepted, 0);
  EXPECT_FALSE(rig.engine->requestCord(kVcfIn, kVco1Saw));
  EXPECT_EQ(rig.engine->handOverOverflows(), 2u);
}
