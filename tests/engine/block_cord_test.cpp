// Cord hand-over: every request reaches all nine voice contexts at one frame boundary, in
// the order posted, whichever thread posts it.
#include <atomic>
#include <thread>
#include <vector>

#include "tests/engine/block_fixture.h"

namespace {

struct CordSeen {
  std::int32_t own;
  std::int32_t peer;
  long frame;  // frames started before the request was taken up
};

struct CordLog {
  std::vector<CordSeen> seen[kVoiceContextCount];
  long frame = 0;
};

struct VoiceTag {
  CordLog* log;
  int voice;
};

void recordCord(PatchVoice&, const EngineCommand& command, void* context) {
  auto* tag = static_cast<VoiceTag*>(context);
  if (command.kind != EngineCommandKind::Cord) return;
  tag->log->seen[tag->voice].push_back({command.a, command.b, tag->log->frame});
}

void countFrame(void* context, int) { ++static_cast<CordLog*>(context)->frame; }

struct CordRig {
  BlockRig rig;
  CordLog log;
  VoiceTag tags[kVoiceContextCount];

  explicit CordRig(std::size_t expected) {
    for (int v = 0; v < kVoiceContextCount; ++v) {
      tags[v] = {&log, v};
      log.seen[v].reserve(expected);
      rig.engine->voice(v).setCommandHandler(&recordCord, &tags[v]);
    }
    rig.engine->setMidiDispatch(&countFrame, &log);
  }

  void expectSameSequenceEverywhere(std::size_t count) {
    for (int v = 0; v < kVoiceContextCount; ++v) {
      ASSERT_EQ(log.seen[v].size(), count) << "voice " << v;
      for (std::size_t k = 0; k < count; ++k) {
        const CordSeen& a = log.seen[0][k];
        const CordSeen& b = log.seen[v][k];
        ASSERT_EQ(b.own, static_cast<std::int32_t>(k + 1)) << "voice " << v << " request " << k;
        ASSERT_EQ(b.peer, static_cast<std::int32_t>(k % 89)) << "voice " << v;
        ASSERT_EQ(a.frame, b.frame) << "voice " << v << " request " << k;
      }
    }
  }
};

}  // namespace

// A thread posts cord requests while the audio thread runs blocks; every voice takes each
// request up at the same frame, in the order posted.
TEST(BlockCord, ThreadedRequestsReachAllVoicesAtOneBoundary) {
  constexpr std::size_t kRequests = 5000;
  CordRig cords(kRequests);
  cords.rig.start();
  std::atomic<bool> posted{false};
  std::thread poster([&] {
    for (std::size_t k = 0; k < kRequests; ++k) {
      while (!cords.rig.engine->requestCord(static_cast<std::uint32_t>(k + 1), static_cast<std::uint32_t>(k % 89))) {
        std::this_thread::yield();  // queue full: the audio thread drains it
      }
    }
    posted.store(true);
  });
  std::vector<float> l(64), r(64);
  for (int block = 0; block < 2000000; ++block) {
    cords.rig.engine->processBlock(nullptr, nullptr, l.data(), r.data(), 64, nullptr);
    if (posted.load() && cords.log.seen[0].size() == kRequests) break;
  }
  poster.join();
  cords.expectSameSequenceEverywhere(kRequests);
}

// While processing is off the request applies at once on the calling thread; on the audio
// thread it applies at once too.
TEST(BlockCord, AppliesAtOnceWhenProcessingIsOffOrOnAudioThread) {
  CordRig cords(4);
  cords.rig.engine->setReady(true);
  ASSERT_TRUE(cords.rig.engine->requestCord(1, 0));
  cords.expectSameSequenceEverywhere(1);
  {
    AudioThreadScope audioThread;
    cords.rig.engine->setProcessing(true);
    ASSERT_TRUE(cords.rig.engine->requestCord(2, 1));
  }
  cords.expectSameSequenceEverywhere(2);
}

// While bypassed the queue still drains, one boundary per block.
TEST(BlockCord, BypassedBlocksTakeRequestsUp) {
  CordRig cords(3);
  cords.rig.start();
  cords.rig.engine->setBypassed(true);
  ASSERT_TRUE(cords.rig.engine->requestCord(1, 0));
  ASSERT_TRUE(cords.rig.engine->requestCord(2, 1));
  EXPECT_TRUE(cords.log.seen[0].empty());
  cords.rig.run(16);
  cords.expectSameSequenceEverywhere(2);
}
