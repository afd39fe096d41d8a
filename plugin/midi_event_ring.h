// The queue of MIDI events between the host's processEvents and the per-sample dispatch: 512
// whole events in arrival order. The writer refuses an event when the ring is full (the
// newest is dropped and counted) instead of overwriting events not yet played.
//
// Threads: one writer (processEvents) and one reader (the MIDI dispatch), both normally on
// the host's audio thread; the indexes are atomic so a host that calls processEvents from
// another thread still hands each event over whole. Never allocates, locks or waits.
#pragma once

#include <atomic>
#include <cstdint>

#include "vst/aeffect.h"

class MidiEventRing {
 public:
  static constexpr uint32_t kCapacity = 512;

  // Writer: queues a copy of the event; false (and counted) when the ring is full.
  bool push(const VstMidiEvent& event) {
    const uint32_t write = write_.load(std::memory_order_relaxed);
    if (write - read_.load(std::memory_order_acquire) >= kCapacity) {
      dropped_.fetch_add(1, std::memory_order_relaxed);
      return false;
    }
    slots_[write % kCapacity] = event;
    write_.store(write + 1, std::memory_order_release);
    return true;
  }

  // Reader: the oldest queued event, or null when the ring is empty.
  const VstMidiEvent* front() const {
    const uint32_t read = read_.load(std::memory_order_relaxed);
    if (read == write_.load(std::memory_order_acquire)) return nullptr;
    return &slots_[read % kCapacity];
  }
  // Reader: drops the event front() returned.
  void pop() { read_.store(read_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

  // Events queued and not yet played. Any thread (an estimate off the reader's thread).
  uint32_t size() const {
    return write_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
  }
  // Events refused because the ring was full, since the plug-in started. Any thread.
  uint32_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

 private:
  VstMidiEvent slots_[kCapacity] = {};
  // Free-running counts; their difference is the fill level, so full and empty differ.
  std::atomic<uint32_t> write_{0};
  std::atomic<uint32_t> read_{0};
  std::atomic<uint32_t> dropped_{0};
};
