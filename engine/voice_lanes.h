// Several voice contexts evaluated together: when the sounding voices' flattened evaluation
// orders have the same shape (the usual case: cords and switches reach every voice alike),
// each step runs once for all of them, the sums, gains and value checks four voices at a
// time in SIMD lanes, and the module calls voice after voice in lane order (one call
// through the module table per step where the module has a lanes function, which calls
// each voice's own function directly). The voices' ticks run module by module the same
// way. The gains, memos and last control sums of an engine's voices lie side by side
// (PatchVoice::useGainColumn, useMemoColumns) and are read and written four at a time;
// other voices' are gathered voice by voice. A module call
// of voice v therefore happens after the same call of voices 0 .. v-1 and before that of
// v+1: draws from the engine's shared random generator (the filters' dither) come in the
// same order as when each voice is evaluated whole in turn, and so does every sum into a
// shared accumulator. Each voice gives bit for bit what processVoiceSample gives it.
//
// The noise draws at its first read in a sample: where the voices read it only after their
// filters drew, it is read once right after the first voice's filter, where evaluating the
// voices in turn reads it. Voices whose orders differ, or that read a shared accumulator the
// voices add to, are evaluated one after the other instead.
// Storage is fixed inside the object; nothing allocates. Audio thread.
#pragma once

#include <cstdint>

#include "engine/lane_vectors.h"
#include "engine/patch_voice.h"
#include "engine/voice_schedule.h"

// Steps of an evaluation order the voices can run together: the built graph needs about 30,
// a busily patched one a few dozen. Longer orders are evaluated voice after voice.
inline constexpr int kMaxLaneSteps = 128;

class VoiceLanes {
 public:
  // One sample of voices[0 .. count-1] (count 1 .. kMaxLaneVoices): for each in turn
  // prepareVoiceSample and the ramp step, then the evaluation, together when their orders
  // allow it. Returns the sum of their outputs, added in voice order.
  float process(PatchVoice* voices, int count);

  // Whether the last process ran its voices together (false for one voice).
  bool ranTogether() const { return ranTogether_; }

 private:
  struct Step {
    ScheduleStepKind kind = ScheduleStepKind::Zero;
    std::int16_t module = 0;
    std::int16_t dest = 0;
    std::int16_t argument = 0;
    ModuleOutputFn output = nullptr;
    ModuleProcessFn process = nullptr;
    ModuleSetControlFn setControl = nullptr;
    ModuleAccumulateFn accumulate = nullptr;
    ModuleProcessLanesFn processLanes = nullptr;  // the module's call for all lanes, if it has one
    ModuleOutputLanesFn outputLanes = nullptr;    // the same for the output function
    ModuleAccumulateLanesFn accumulateLanes = nullptr;  // and for the accumulate function
    // Read right after the first lane's process call (the noise's first read), or null.
    LaneCall touch;
    union {
      void* dsp[kMaxLaneVoices] = {};
      const float* field[kMaxLaneVoices];  // LeafField, BeginField: the float each voice's output returns
    };
    // Each voice's memo of the module and its last control sum.
    float* cache[kMaxLaneVoices] = {};
    float* lastControl[kMaxLaneVoices] = {};
    // The connections' gains; the pad lanes up to a whole group point at a 0.
    const float* gain[laneWidth(kMaxLaneVoices)] = {};
    // The voices' gains lie side by side (gain[l] = gain[0] + l): read four at a time. The
    // pad lanes then read whatever finite gain follows, which multiplies their 0.
    bool gainsSideBySide = false;
    // The same for the memos and the last control sums.
    bool memoSideBySide = false;
  };

  // The ticks of voices[0 .. count-1] from their derived orders; whether they tick the
  // same modules (the ticks can then run module by module for all voices).
  void gatherTicks(PatchVoice* voices, int count);
  // prepareVoiceSample of voices[0 .. count-1] from the gathered ticks.
  void tickTogether(PatchVoice* voices, int count);
  // Builds the steps for voices[0 .. count-1]; false when they cannot run together.
  bool gather(PatchVoice* voices, int count);
  template <int kCount>
  static void processLanes(const Step& s, const float* audio, float* value);
  template <int kCount>
  static void readOutputs(const Step& s, float* value);
  template <int kCount>
  void run(PatchVoice* voices, float* outputs);
  void runAll(PatchVoice* voices, int count, float* outputs);

  Step steps_[kMaxLaneSteps];
  std::int32_t stepCount_ = 0;
  // What the steps were built from: the voices, their count and their orders' generations.
  const PatchVoice* builtFor_ = nullptr;
  std::int32_t builtCount_ = 0;
  std::uint32_t builtGenerations_[kMaxLaneVoices] = {};
  bool together_ = false;
  bool ranTogether_ = false;
  // The ticks, gathered with the steps.
  ModuleTickFn ticks_[kScheduleTicks] = {};
  ModuleTickLanesFn tickLanes_[kScheduleTicks] = {};
  void* tickObjects_[kScheduleTicks][kMaxLaneVoices] = {};
  std::int32_t tickCount_ = 0;
  bool ticksTogether_ = false;
};
