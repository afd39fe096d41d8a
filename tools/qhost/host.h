// The host side of the VST 2.4 callback: what qhost tells a plug-in about itself and its
// transport, and the counts of what the plug-in asked for. One host per process: the
// callback has no user pointer of its own before the effect record exists.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

#include "vst/aeffect.h"

namespace qhost {

struct HostState {
  double sampleRate = 44100.0;
  int32_t blockSize = 512;
  double tempo = 120.0;  // beats per minute, 4/4 time
  double samplePos = 0;  // transport position of the block being processed
  bool playing = false;
  bool transportChanged = true;
  std::atomic<bool> inProcess{false};  // inside a process call: the audio thread's process level
  int32_t numInputs = 0;
  int32_t numOutputs = 0;
  int32_t numParams = 0;

  // What the plug-in asked for: counted on whichever thread it asks from (the audio thread,
  // the validate checks' automation thread, the main thread).
  std::atomic<long> automateCalls{0};
  // Every automation (index, value) while recording is on (the editor's GUI thread only).
  bool recordAutomations = false;
  std::vector<std::pair<int32_t, float>> automations;
  std::atomic<int32_t> lastAutomatedIndex{-1};
  std::atomic<float> lastAutomatedValue{0};
  std::atomic<long> wantMidiCalls{0};
  std::atomic<long> timeInfoCalls{0};
  std::atomic<long> beginEditCalls{0};
  std::atomic<long> endEditCalls{0};
  std::atomic<long> updateDisplayCalls{0};
  std::atomic<long> outputEventCalls{0};
  std::atomic<long> unknownCalls{0};

  VstTimeInfo timeInfo{};
};

// The one host state the callback answers from.
HostState& hostState();

// The callback handed to the plug-in's entry point.
intptr_t VSTCALLBACK hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                  void* ptr, float opt);

// Host name strings and the features qhost answers yes to.
constexpr const char* kHostVendor = "Quorvane tools";
constexpr const char* kHostProduct = "qhost";
constexpr int32_t kHostVersion = 2400;

}  // namespace qhost
