// Bank selects and program changes that arrive while the editor's patch manager is open are
// held here and played when it closes, so the library is never changed under the dialog.
// Lock-free: the GUI thread starts and ends the hold, the audio thread holds and takes.
#pragma once

#include <atomic>
#include <cstdint>

class ProgramChangeHold {
 public:
  // GUI thread.
  void setHolding(bool on) { holding_.store(on, std::memory_order_release); }
  bool holding() const { return holding_.load(std::memory_order_acquire); }

  // Audio thread: while the hold is on, keeps the change (the latest of each kind wins) and
  // returns true; the caller then does nothing more with it.
  bool holdBank(int bank) { return hold(bank_, bank); }
  bool holdProgram(int program) { return hold(program_, program); }

  // Audio thread: once the hold is off, what was held (-1: nothing of that kind), each
  // handed over once. False when nothing is to be played.
  bool takeHeld(int& bank, int& program) {
    if (holding()) return false;
    bank = bank_.exchange(-1, std::memory_order_acq_rel);
    program = program_.exchange(-1, std::memory_order_acq_rel);
    return bank >= 0 || program >= 0;
  }

 private:
  bool hold(std::atomic<int32_t>& slot, int value) {
    if (!holding()) return false;
    slot.store(value, std::memory_order_release);
    return true;
  }

  std::atomic<bool> holding_{false};
  std::atomic<int32_t> bank_{-1};
  std::atomic<int32_t> program_{-1};
};
