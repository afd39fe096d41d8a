// The held keys and the key each voice context plays, as the audio thread publishes them
// once per block for readers on other threads (the editor drawing its keyboard). The one
// writer (the audio thread, or the host's thread while no audio runs) never waits; a reader
// that finds a publication under way reads again, and after a few tries takes what it read.
#pragma once

#include <atomic>
#include <cstdint>

// Voice contexts whose keys are published (context 0 and eight extra voices).
inline constexpr int kPublishedVoices = 9;

struct KeySnapshot {
  bool held[128] = {};
  int voiceKey[kPublishedVoices] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};  // -1: none
};

class PublishedKeys {
 public:
  // The writer: the plug-in's per-key table (non-zero = held) and voice key table.
  void publish(const int32_t held[128], const int32_t voiceKey[kPublishedVoices]) {
    // The words are stored with release order, so none is seen before the odd count that
    // marks the publication under way; a reader that saw one sees that count too.
    const uint32_t sequence = sequence_.load(std::memory_order_relaxed);
    sequence_.store(sequence + 1, std::memory_order_relaxed);  // odd: under way
    for (int w = 0; w < 4; ++w) {
      uint32_t bits = 0;
      for (int b = 0; b < 32; ++b)
        if (held[w * 32 + b] != 0) bits |= uint32_t{1} << b;
      held_[w].store(bits, std::memory_order_release);
    }
    for (int v = 0; v < kPublishedVoices; ++v) voiceKey_[v].store(voiceKey[v], std::memory_order_release);
    sequence_.store(sequence + 2, std::memory_order_release);
  }

  // Any thread; never waits for the writer.
  KeySnapshot read() const {
    KeySnapshot s;
    for (int attempt = 0; attempt < 8; ++attempt) {
      const uint32_t before = sequence_.load(std::memory_order_acquire);
      uint32_t words[4];
      for (int w = 0; w < 4; ++w) words[w] = held_[w].load(std::memory_order_acquire);
      for (int k = 0; k < 128; ++k) s.held[k] = (words[k / 32] >> (k % 32)) & 1;
      for (int v = 0; v < kPublishedVoices; ++v) s.voiceKey[v] = voiceKey_[v].load(std::memory_order_acquire);
      if ((before & 1) == 0 && sequence_.load(std::memory_order_relaxed) == before) break;
    }
    return s;
  }

 private:
  std::atomic<uint32_t> sequence_{0};
  std::atomic<uint32_t> held_[4] = {};
  std::atomic<int32_t> voiceKey_[kPublishedVoices] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
};
