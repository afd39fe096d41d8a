// Fixed-capacity lock-free hand-over from one producer thread to one consumer thread.
// Neither side allocates, locks or waits: push refuses when full, pop when empty. Where
// several threads may produce, they serialise among themselves before calling push; the
// consumer (the audio thread) is never held up by that.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

template <typename T, std::size_t Capacity>
class SpscQueue {
  static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

 public:
  // Producer thread only. False (and nothing stored) when the queue is full.
  bool push(const T& item) {
    const std::uint32_t tail = tail_.load(std::memory_order_relaxed);
    const std::uint32_t head = head_.load(std::memory_order_acquire);
    if (tail - head >= Capacity) return false;
    slots_[tail & kMask] = item;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // Consumer thread only. False when the queue is empty; otherwise the oldest item.
  bool pop(T& item) {
    const std::uint32_t head = head_.load(std::memory_order_relaxed);
    const std::uint32_t tail = tail_.load(std::memory_order_acquire);
    if (head == tail) return false;
    item = slots_[head & kMask];
    head_.store(head + 1, std::memory_order_release);
    return true;
  }

  // Items waiting; exact on either side's own thread, an estimate elsewhere. Any thread.
  std::size_t size() const {
    return tail_.load(std::memory_order_acquire) - head_.load(std::memory_order_acquire);
  }
  bool empty() const { return size() == 0; }
  static constexpr std::size_t capacity() { return Capacity; }

 private:
  static constexpr std::uint32_t kMask = static_cast<std::uint32_t>(Capacity - 1);
  // Free-running indexes; unsigned wrap-around keeps tail - head the fill level.
  alignas(64) std::atomic<std::uint32_t> head_{0};
  alignas(64) std::atomic<std::uint32_t> tail_{0};
  alignas(64) T slots_[Capacity]{};
};
