// The hold an entry point off the audio thread takes on the plug-in's patch state, and the
// bits of the word the audio thread shares with it (see quorvane_vst_patch.cpp).
#pragma once

#include <mutex>
#include <thread>

#include "plugin/quorvane_vst.h"

namespace patchstate {

// Bits of changeState_.
inline constexpr uint32_t kRequested = 1;  // the audio thread selected a program to load
inline constexpr uint32_t kApplying = 2;   // the audio thread is applying it now
inline constexpr uint32_t kApplied = 4;    // applied to the engine; texts and map left to finish
inline constexpr uint32_t kBusy = 8;       // an entry point off the audio thread holds the state
inline constexpr uint32_t kHold = 16;      // an entry point applies a record to the engine: blocks keep off it

}  // namespace patchstate

// An entry point's hold on the patch state: patchMutex_ and the patchstate::kBusy bit. The bit is taken
// only while the audio thread is not applying; the audio thread never waits for it.
class Quorvane_VST::PatchWork {
 public:
  PatchWork(Quorvane_VST& plugin, bool tryOnly)
      : plugin_(plugin), lock_(plugin.patchMutex_, std::defer_lock) {
    if (tryOnly) {
      if (!lock_.try_lock()) return;
    } else {
      lock_.lock();
    }
    uint32_t s = plugin_.changeState_.load(std::memory_order_acquire);
    for (;;) {
      if (s & patchstate::kApplying) {  // one block's apply on the audio thread; short
        std::this_thread::yield();
        s = plugin_.changeState_.load(std::memory_order_acquire);
        continue;
      }
      if (plugin_.changeState_.compare_exchange_weak(s, s | patchstate::kBusy, std::memory_order_acq_rel))
        break;
    }
    held_ = true;
    ++depthOnThisThread();
    plugin_.finishAudioProgramChange(*this);
  }
  ~PatchWork() {
    if (!held_) return;
    --depthOnThisThread();
    plugin_.changeState_.fetch_and(~patchstate::kBusy, std::memory_order_acq_rel);
  }
  PatchWork(const PatchWork&) = delete;
  PatchWork& operator=(const PatchWork&) = delete;
  bool held() const { return held_; }
  // PatchWork holds the calling thread has now.
  static int& depthOnThisThread();

 private:
  Quorvane_VST& plugin_;
  std::unique_lock<std::mutex> lock_;
  bool held_ = false;
};
