// The records of a voice context's module graph: modules, their input connections and the
// output jacks. Plain records; the voice context (PatchVoice) creates, links and frees them.
//
// Threads: after the build every field here belongs to the audio thread, except a
// connection's request slot (written by any thread through PatchVoice::rampTo). Other
// threads change connections only by posting to the voice's command queue.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/module_types.h"
#include "params/four_char_code.h"

struct PatchModule;

// The code of a hard-wired connection that no cord replaces.
inline constexpr std::uint32_t kHardWiredCode = fourCharCode("none");

// An input connection: pulls one output of a source module, times a ramped gain.
struct PatchInput {
  explicit PatchInput(float& gainSlot) : gain(gainSlot) {}
  PatchInput(const PatchInput&) = delete;
  PatchInput& operator=(const PatchInput&) = delete;

  PatchModule* source = nullptr;     // the module read now (a cord re-points it)
  // Current gain. It lives in the voice's gain store (PatchVoice::newInput), packed with the
  // other connections' gains: the few dozen a sample reads share a handful of cache lines
  // instead of one line each.
  float& gain;
  std::uint32_t code = kHardWiredCode;  // jack code of the input jack, or 'none'
  bool off = true;                   // |gain| < 1e-6: skipped by the evaluation
  std::int32_t arrived = 0;          // 0 while on the voice's ramp list, 1 once arrived
  std::int32_t outputIndex = 0;      // which output of source is read
  PatchModule* normalSource = nullptr;  // the normalled source, restored when a cord goes
  std::int32_t normalOutputIndex = 0;
  float target = 0.0f;               // the gain the ramp moves to
  float step = 0.0f;                 // gain change per sample
  PatchInput* nextInput = nullptr;   // the voice's inputList
  PatchInput* nextRamp = nullptr;    // the voice's rampList (valid while arrived == 0)

  // Newest ramp request from another thread: target and step as two float bit patterns
  // (step NaN: derive it from the ramp rate when taken up), and whether the request waits
  // in the command queue.
  std::atomic<std::uint64_t> request{0};
  std::atomic<bool> requestQueued{false};
};

// Capacity of each input array of a module.
inline constexpr int kMaxModuleInputs = 20;

// One module instance of a voice (or, for shared modules, of SharedModules).
struct PatchModule {
  void* dsp = nullptr;              // the DSP object (possibly shared by several records)
  std::int32_t index = -1;          // position in the voice's per-module tables
  ModuleType type = ModuleType::None;
  char name[100] = {};
  PatchInput* controlInputs[kMaxModuleInputs] = {};
  std::int32_t controlCount = 0;
  PatchInput* audioInputs[kMaxModuleInputs] = {};
  std::int32_t audioCount = 0;
  bool ownsDsp = false;             // true when this record's owner frees dsp with it
};

// An output jack: what a cord plugged into the jack reads.
struct PatchOutput {
  PatchModule* module = nullptr;
  std::int32_t outputIndex = 0;
  std::uint32_t code = 0;
  PatchOutput* next = nullptr;      // the voice's outputJacks list
};

// Appends a connection to a module's control or audio inputs, in evaluation order. False
// (nothing appended) when the module already has kMaxModuleInputs of that kind. Build time.
bool appendControlInput(PatchModule& module, PatchInput* input);
bool appendAudioInput(PatchModule& module, PatchInput* input);

// Points a connection at a source as both its current and its normal source. Build time.
void setNormalSource(PatchInput& input, PatchModule* source, std::int32_t outputIndex);
