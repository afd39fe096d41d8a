// The flattened evaluation order of a voice: the recursive pull of one sample (the OUTPUT
// input, the reverb send, the two input buses) written out once as a straight list of steps
// for the graph as it stands, then run each sample as a tight loop.
//
// Which functions the pull calls, in which order, and which values it memoises depends only
// on the graph's shape: the connections' sources, output indexes and off flags and the
// modules' functions; never on the values. So the list stays right until one of those
// changes; the voice then marks it stale (PatchVoice::invalidateSchedule) and derives it
// again before the next sample. Running it gives bit for bit what the pull gives: the same
// calls with the same arguments in the same order, the same sums in the same order. Two
// kinds of read are not calls: an output that only returns one float of its module is
// loaded from there, and a module whose output cannot change within the sample (a steady
// output evaluated with no input in effect) is read again from its memo.
//
// Storage is fixed inside the voice; deriving and running never allocate. A graph whose
// pull needs more steps than the list holds is evaluated by the pull instead. Audio thread.
#pragma once

#include <cstdint>

#include "engine/module_types.h"

struct PatchInput;
struct PatchVoice;

// A module's set-control function is called only when its control sum moved by more than
// this since the last call.
inline constexpr float kSetControlThreshold = 1e-6f;

// Capacity of the list. The built graph needs about 30 steps per sample.
inline constexpr int kMaxScheduleSteps = 512;

// Value slots: a control and an audio sum per nesting depth, plus the sample's results.
inline constexpr int kScheduleResultSlots = 4;  // output, reverb send, left bus, right bus
inline constexpr int kMaxScheduleSlots = kScheduleResultSlots + 2 * 101;

enum class ScheduleStepKind : std::uint8_t {
  Zero,        // a connection from no module of this voice: adds 0
  Leaf,        // a module with an output and no control inputs: its sanitised output x gain
  MemoLive,    // a generator already evaluated (or in the loop being evaluated): live output
  MemoLiveSilent,  // ... of a generator without an output function: adds 0 x gain
  MemoCache,   // a non-generator already evaluated (or in the loop): its cached value
  MemoCacheRead,   // ... whose output function is still called (it may note the read)
  Begin,       // a module's evaluation starts: output read, its two sums opened
  BeginSilent, // ... of a module without an output function: both sums open at 0
  End,         // ... and ends: control set, processed, sanitised, cached, x gain
  EndNoControl,  // ... of a module whose control sum is 0 and already stored as such
  EndNoProcess,  // End of a module without a process function
  EndNoControlNoProcess,  // EndNoControl of a module without a process function
  Solo,        // Begin and EndNoControl of a module with an output and every input off
  SoloNoProcess,  // Solo of a module without a process function
  Accumulate,  // a result x 0.1 into a shared accumulator (reverb send, input bus)
  LeafField,   // Leaf or MemoLive of an output that reads one float: loaded, not called
  BeginField,  // Begin of such an output
};

// One step in 32 bytes, so two share a cache line. The function a step calls is the one its
// kind needs: the output function (Leaf, Memo..., Begin, Solo...), the process function
// (End, EndNoControl) or the accumulate function; a field step holds the float it loads
// instead. The set-control function of an End step and the process function of a Solo step
// are read from the voice's tables, which cannot change without the list being derived
// again.
struct ScheduleStep {
  ScheduleStepKind kind = ScheduleStepKind::Zero;
  std::int16_t module = 0;     // module index (Accumulate: the slot read)
  std::int16_t dest = 0;       // slot added into; Begin: the control slot it opens; Accumulate: the target module
  // End...: the control slot it closes (the audio slot follows); steps that read an output:
  // the output index.
  std::int16_t argument = 0;
  const float* gain = nullptr;  // the gain of the connection that scales the value
  void* dsp = nullptr;
  union {
    ModuleOutputFn output = nullptr;
    ModuleProcessFn process;
    ModuleAccumulateFn accumulate;
    const float* field;  // LeafField, BeginField: the float the output function returns
  };
};
static_assert(sizeof(ScheduleStep) <= 32);

// Whether a step of the kind ends its module's evaluation (the module is then memoised).
inline bool endsEvaluation(ScheduleStepKind kind) {
  switch (kind) {
    case ScheduleStepKind::End:
    case ScheduleStepKind::EndNoProcess:
    case ScheduleStepKind::EndNoControl:
    case ScheduleStepKind::EndNoControlNoProcess:
    case ScheduleStepKind::Solo:
    case ScheduleStepKind::SoloNoProcess:
      return true;
    default:
      return false;
  }
}

// The modules a voice ticks before each sample, in order (see prepareVoiceSample).
inline constexpr int kScheduleTicks = 7;

struct VoiceSchedule {
  ScheduleStep steps[kMaxScheduleSteps];
  std::int32_t count = 0;
  ModuleTickFn ticks[kScheduleTicks] = {};
  ModuleTickLanesFn tickLanes[kScheduleTicks] = {};  // the tick's module's call for several voices, or null
  void* tickObjects[kScheduleTicks] = {};
  std::int32_t tickCount = 0;
  bool valid = false;   // derived for the current shape
  bool usable = false;  // the pull fitted in the list
  std::uint32_t generation = 0;  // counts the derivations, so a copy of the list can tell it is old
};

// Writes the list for the voice's current graph, and the tick functions of its ticked
// roles (valid := true; usable := it fitted).
void deriveSchedule(const PatchVoice& voice, VoiceSchedule& schedule);

// Runs one sample's evaluation from a derived, usable list: the memo flags must have been
// cleared since the last evaluation, and the flags of the modules it evaluates are left
// unset (the caller keeps them pending). Returns the voice's output; the reverb send and
// the buses are accumulated as the pull does it.
float runSchedule(PatchVoice& voice, const VoiceSchedule& schedule);
