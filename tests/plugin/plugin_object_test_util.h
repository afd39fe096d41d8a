// A plug-in instance made through the entry point's body with the recording host of the
// frame tests, closed through the dispatcher as a host closes it.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "frame_spy.h"
#include "params/param_ids.h"
#include "plugin/entry_point.h"

namespace plugintest {

// The musical position the plug-in host gives (null: the host gives none). Set by a test
// before the audio runs.
inline std::atomic<VstTimeInfo*>& hostTime() {
  static std::atomic<VstTimeInfo*> time{nullptr};
  return time;
}

// The recording host of the frame tests, except that the time query, which the block
// process makes on the audio thread, is answered from hostTime() without being recorded.
inline intptr_t VSTCALLBACK pluginHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                       void* ptr, float opt) {
  if (opcode == audioMasterGetTime) return reinterpret_cast<intptr_t>(hostTime().load());
  return frametest::fakeHost(effect, opcode, index, value, ptr, opt);
}

class Instance {
 public:
  explicit Instance(const BuildIdentity& identity = kInstrumentIdentity,
                    Quorvane_VSTEdit::EditorFactory makeEditor = nullptr, intptr_t hostAnswer = 2400) {
    frametest::resetRecords(hostAnswer);
    effect_ = createQuorvaneEffect(pluginHost, identity, makeEditor);
  }
  ~Instance() { close(); }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  AEffect* effect() const { return effect_; }
  Quorvane_VSTEdit& plugin() const { return *static_cast<Quorvane_VSTEdit*>(effect_->object); }
  intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0) const {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }
  // A text answer written into a host buffer.
  std::string text(int32_t opcode, int32_t index = 0) const {
    char buffer[256] = {};
    dispatch(opcode, index, 0, buffer);
    return buffer;
  }
  intptr_t close() {
    intptr_t result = 0;
    if (effect_) result = dispatch(effClose);
    effect_ = nullptr;
    return result;
  }

 private:
  AEffect* effect_ = nullptr;
};

// Host calls with this opcode since the last reset.
inline int countHostCalls(int32_t opcode) {
  int n = 0;
  for (const auto& c : frametest::hostCalls()) n += c.opcode == opcode;
  return n;
}

}  // namespace plugintest
