// One flag per parameter record (0..178): "this parameter changed since it was last looked
// at". Any number of threads mark; one thread at a time takes the marked set, which clears
// it. Marking is one atomic or, taking one atomic exchange per 64 parameters: neither side
// allocates, locks or waits, so the audio thread may do either. A mark made while the set
// is being taken lands in this take or the next one, never in none.
#pragma once

#include <atomic>
#include <bit>
#include <cstdint>

#include "params/param_table.h"

class ParamFlags {
 public:
  // Marks parameter `index`; indexes outside 0..178 are ignored. Any thread.
  void mark(int index) {
    if (index < 0 || index >= kParamRecordCount) return;
    words_[index / 64].fetch_or(bitOf(index), std::memory_order_release);
  }

  // Clears parameter `index`'s mark. Any thread.
  void clear(int index) {
    if (index < 0 || index >= kParamRecordCount) return;
    words_[index / 64].fetch_and(~bitOf(index), std::memory_order_relaxed);
  }

  // Calls fn(index) for every marked parameter, in ascending order, and clears those marks.
  // One taker at a time.
  template <typename Fn>
  void take(Fn&& fn) {
    for (int w = 0; w < kWords; ++w) {
      std::uint64_t bits = words_[w].exchange(0, std::memory_order_acquire);
      while (bits != 0) {
        const int bit = std::countr_zero(bits);
        bits &= bits - 1;
        fn(w * 64 + bit);
      }
    }
  }

  // True when any parameter is marked. Any thread.
  bool any() const {
    for (const auto& word : words_)
      if (word.load(std::memory_order_relaxed) != 0) return true;
    return false;
  }

 private:
  static constexpr int kWords = (kParamRecordCount + 63) / 64;
  static constexpr std::uint64_t bitOf(int index) { return std::uint64_t{1} << (index % 64); }
  std::atomic<std::uint64_t> words_[kWords] = {};
};
