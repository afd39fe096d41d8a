// The lock-free hand-over queue, alone and as a voice's command path.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "engine/audio_thread.h"
#include "engine/patch_voice.h"
#include "engine/spsc_queue.h"

TEST(SpscQueue, FullQueueRefusesAndEmptyQueueGivesNothing) {
  SpscQueue<int, 4> q;
  int out = -1;
  EXPECT_FALSE(q.pop(out));
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(q.push(i));
  EXPECT_FALSE(q.push(99));
  EXPECT_EQ(q.size(), 4u);
  ASSERT_TRUE(q.pop(out));
  EXPECT_EQ(out, 0);
  EXPECT_TRUE(q.push(4));  // the freed slot is usable again
  EXPECT_FALSE(q.push(5));
  for (int expected = 1; expected <= 4; ++expected) {
    ASSERT_TRUE(q.pop(out));
    EXPECT_EQ(out, expected);
  }
  EXPECT_FALSE(q.pop(out));
  EXPECT_TRUE(q.empty());
}

TEST(SpscQueue, KeepsOrderAcrossManyWrapArounds) {
  SpscQueue<int, 8> q;
  int next = 0;
  int expected = 0;
  for (int round = 0; round < 1000; ++round) {
    const int pushes = std::min<int>(1 + round % 8, static_cast<int>(q.capacity() - q.size()));
    for (int k = 0; k < pushes; ++k) ASSERT_TRUE(q.push(next++));
    int out;
    const int pops = std::min<int>(1 + (round * 5) % 8, static_cast<int>(q.size()));
    for (int k = 0; k < pops; ++k) {
      ASSERT_TRUE(q.pop(out));
      ASSERT_EQ(out, expected++);
    }
    while (q.size() > 4 && q.pop(out)) ASSERT_EQ(out, expected++);
  }
}

TEST(SpscQueue, ProducerAndConsumerThreadsHandOverEverythingInOrder) {
  struct Item {
    std::uint32_t sequence;
    std::uint32_t check;
  };
  SpscQueue<Item, 64> q;
  constexpr std::uint32_t kCount = 200000;
  std::vector<std::uint32_t> received;
  received.reserve(kCount);
  bool torn = false;
  std::thread consumer([&] {
    Item item;
    while (received.size() < kCount) {
      if (q.pop(item)) {
        torn = torn || item.check != ~item.sequence;
        received.push_back(item.sequence);
      } else {
        std::this_thread::yield();
      }
    }
  });
  std::thread producer([&] {
    for (std::uint32_t i = 0; i < kCount;) {
      if (q.push(Item{i, ~i})) {
        ++i;
      } else {
        std::this_thread::yield();
      }
    }
  });
  producer.join();
  consumer.join();
  EXPECT_FALSE(torn);
  ASSERT_EQ(received.size(), kCount);
  for (std::uint32_t i = 0; i < kCount; ++i) ASSERT_EQ(received[i], i);
}

namespace {
struct Received {
  std::vector<EngineCommand> commands;
};
void record(PatchVoice&, const EngineCommand& c, void* context) {
  static_cast<Received*>(context)->commands.push_back(c);
}
}  // namespace

TEST(VoiceCommands, PostedCommandsReachTheHandlerInOrderOnTheAudioThread) {
  PatchVoice voice;
  Received got;
  voice.setCommandHandler(&record, &got);
  for (int i = 0; i < 5; ++i) {
    EngineCommand c;
    c.kind = i % 2 ? EngineCommandKind::Cord : EngineCommandKind::Note;
    c.a = i;
    EXPECT_TRUE(voice.postCommand(c));
  }
  EXPECT_TRUE(got.commands.empty());  // nothing runs on the posting thread
  {
    AudioThreadScope audio;
    voice.applyCommands();
  }
  ASSERT_EQ(got.commands.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(got.commands[i].a, i);
    EXPECT_EQ(got.commands[i].kind, i % 2 ? EngineCommandKind::Cord : EngineCommandKind::Note);
  }
}

TEST(VoiceCommands, CommandPostedOnTheAudioThreadIsTakenUpAtOnce) {
  PatchVoice voice;
  Received got;
  voice.setCommandHandler(&record, &got);
  AudioThreadScope audio;
  EngineCommand c;
  c.kind = EngineCommandKind::Reset;
  EXPECT_TRUE(voice.postCommand(c));
  EXPECT_EQ(got.commands.size(), 1u);
  EXPECT_EQ(voice.pendingCommandCount(), 0u);
}

TEST(VoiceCommands, FullQueueRefusesFurtherCommands) {
  PatchVoice voice;
  EngineCommand c;
  c.kind = EngineCommandKind::Cord;
  std::size_t accepted = 0;
  while (voice.postCommand(c)) ++accepted;
  EXPECT_EQ(accepted, kVoiceCommandCapacity);
  EXPECT_FALSE(voice.postCommand(c));
  EXPECT_EQ(voice.commandOverflows(), 2u);  // both refusals counted
}

TEST(VoiceCommands, SeveralPostingThreadsShareTheQueueSafely) {
  PatchVoice voice;
  struct Seen {
    std::vector<int> lastPerThread = std::vector<int>(4, -1);
    bool ordered = true;
    int count = 0;
  } seen;
  voice.setCommandHandler(
      [](PatchVoice&, const EngineCommand& c, void* context) {
        auto* s = static_cast<Seen*>(context);
        s->ordered = s->ordered && c.b > s->lastPerThread[c.a];
        s->lastPerThread[c.a] = c.b;
        ++s->count;
      },
      &seen);
  constexpr int kPerThread = 20000;
  std::atomic<int> producersDone{0};
  std::thread audio([&] {
    AudioThreadScope scope;
    while (producersDone.load() < 4) voice.applyCommands();
    voice.applyCommands();
  });
  std::vector<std::thread> producers;
  for (int t = 0; t < 4; ++t) {
    producers.emplace_back([&, t] {
      for (int i = 0; i < kPerThread;) {
        EngineCommand c;
        c.kind = EngineCommandKind::Cord;
        c.a = t;
        c.b = i;
        if (voice.postCommand(c)) {
          ++i;
        } else {
          std::this_thread::yield();
        }
      }
      producersDone.fetch_add(1);
    });
  }
  for (auto& p : producers) p.join();
  audio.join();
  EXPECT_TRUE(seen.ordered);
  EXPECT_EQ(seen.count, 4 * kPerThread);
}
