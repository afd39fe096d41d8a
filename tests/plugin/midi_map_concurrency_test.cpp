// The MIDI dispatch scans the map on the audio thread while another thread edits it. Run
// under ThreadSanitizer this also shows that the scan and the edits share no plain memory.
#include "plugin/midi_map.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

// Allocations made on the calling thread while counting is switched on for it.
thread_local bool tCounting = false;
thread_local long tAllocations = 0;

}  // namespace

void* operator new(std::size_t size) {
  if (tCounting) ++tAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Entries written by the editing thread carry their controller number in every field the
// scan returns, so a scan that saw half of an edit would return a mismatched setting.
MidiMapEntry tagged(int parameter, int c, uint32_t bits) {
  MidiMapEntry e = blankMidiMapEntry(parameter);
  e.controller = c;
  e.channel = c % 16;
  e.sourceBits = bits;
  for (int s = 0; s < kMidiSourceCount; ++s) {
    e.range[s] = {static_cast<float>(c), static_cast<float>(c)};
    e.curve[s] = c % 3;
    e.invert[s] = c & 1;
  }
  return e;
}

bool consistent(int c, const MidiSourceSetting& s) {
  return s.low == static_cast<float>(c) && s.high == static_cast<float>(c) && s.curve == c % 3 &&
         s.invert == (c & 1);
}

// One entry rewritten as fast as the editing thread can while the scan keeps reading it.
TEST(MidiMapConcurrency, AnEntryIsNeverSeenHalfRewritten) {
  MidiMap map;
  ASSERT_TRUE(map.setEntry(kMidiBitController, tagged(41, 0, kMidiBitVelocity)));
  std::atomic<bool> done{false};
  std::thread editor([&] {
    for (int i = 0; i < 200000; ++i)
      map.setEntry(kMidiBitController, tagged(41, i % 128, kMidiBitVelocity));
    done.store(true, std::memory_order_release);
  });
  long reads = 0, torn = 0, missed = 0;
  while (!done.load(std::memory_order_acquire) || reads < 1000) {
    MidiSourceSetting s;
    int position = 0;
    if (map.lookup(position, kMidiBitVelocity, 0, 0, s) != 41) {
      ++missed;  // caught mid-edit every time it was tried: skipped, never torn
      continue;
    }
    ++reads;
    if (!consistent(static_cast<int>(s.low), s)) ++torn;
  }
  editor.join();
  EXPECT_EQ(torn, 0) << "of " << reads << " reads, " << missed << " skipped";
}

TEST(MidiMapConcurrency, LookupsSeeWholeEntriesWhileAnotherThreadEdits) {
  MidiMap map;
  std::atomic<bool> done{false};
  std::atomic<long> scans{0};

  std::thread editor([&] {
    for (int i = 0; i < 20000; ++i) {
      const int c = i % 128;
      map.setEntry(0, tagged(40, c, kMidiBitController));
      map.setEntry(kMidiBitController, tagged(41, c, kMidiBitVelocity));
      if (i % 37 == 0) map.appendEntry(tagged(42 + i % 100, c, kMidiBitController | kMidiBitModWheel));
      if (i % 501 == 0) map.clearControllerSources();
      if (i % 499 == 0) map.resetPatchSources();
    }
    done.store(true, std::memory_order_release);
  });

  long torn = 0, badParameter = 0, shrank = 0, matches = 0;
  tCounting = true;
  tAllocations = 0;
  int lastCount = map.count();
  // Passes while the editor runs, then a few whole passes over what it left (the editor may
  // finish before the first pass has matched anything).
  for (int after = 0; after < 4;) {
    if (done.load(std::memory_order_acquire)) ++after;
    for (int c = 0; c < 128; ++c) {
      MidiSourceSetting s;
      int position = 0;
      while (int p = map.lookup(position, kMidiBitController, c, c % 16, s)) {
        ++matches;
        if (p < 1 || p > 178) ++badParameter;
        if (!consistent(c, s)) ++torn;
      }
      for (uint32_t bit : {kMidiBitVelocity, kMidiBitModWheel}) {
        position = 0;
        while (int p = map.lookup(position, bit, 0, 0, s)) {
          if (p < 1 || p > 178) ++badParameter;
          // Entries of the editing thread have equal range ends; the defaults 0..127.
          if (s.low != s.high && !(s.low == 0.0f && s.high == 127.0f)) ++torn;
        }
      }
    }
    const int n = map.count();
    if (n < lastCount) ++shrank;
    lastCount = n;
    scans.fetch_add(1, std::memory_order_relaxed);
  }
  tCounting = false;
  editor.join();

  EXPECT_EQ(torn, 0);
  EXPECT_EQ(badParameter, 0);
  EXPECT_EQ(shrank, 0);
  EXPECT_EQ(tAllocations, 0);
  EXPECT_GT(matches, 0);
  EXPECT_GE(scans.load(), 4);
  EXPECT_LE(map.count(), MidiMap::kCapacity);
}

}  // namespace
