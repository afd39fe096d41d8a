// Deriving and running a voice's flattened evaluation order (see voice_schedule.h). The
// derivation walks the graph exactly as PatchVoice::evaluateInput does, keeping its own
// visiting and computed flags, and writes down each call instead of making it.
#include "engine/voice_schedule.h"

#include <cmath>
#include <cstdint>
#include <iterator>

#include "engine/patch_voice.h"
#include "engine/sanitize.h"

namespace {

constexpr int kOutputSlot = 0;
constexpr int kSendSlot = 1;
constexpr int kFirstBusSlot = 2;

class Deriver {
 public:
  Deriver(const PatchVoice& voice, VoiceSchedule& schedule) : voice_(voice), schedule_(schedule) {}

  // The steps of one evaluateInput(input) whose value goes into slot dest; nesting depth is
  // the number of module evaluations open around it.
  void pull(const PatchInput* input, int dest, int depth) {
    const PatchModule* m = input->source;
    if (m == nullptr) {
      emit(ScheduleStepKind::Zero, input, dest);
      return;
    }
    const int i = m->index;
    if (i < 0 || i >= voice_.moduleCount || voice_.modules[i] != m) {
      emit(ScheduleStepKind::Zero, input, dest);
      return;
    }

    const ModuleOutputFn output = voice_.outputFns[i];
    if (output != nullptr && m->controlCount == 0) {
      emit(ScheduleStepKind::Leaf, input, dest);
      return;
    }
    if (visiting_[i] != 0 || computed_[i] != 0) {
      const bool reads = output != nullptr;
      if (steady_[i] != 0) {
        emit(ScheduleStepKind::MemoCache, input, dest);  // the live output is its memo
      } else if (voice_.isGenerator[i] != 0) {
        emit(reads ? ScheduleStepKind::MemoLive : ScheduleStepKind::MemoLiveSilent, input, dest);
      } else {
        emit(reads ? ScheduleStepKind::MemoCacheRead : ScheduleStepKind::MemoCache, input, dest);
      }
      return;
    }

    const int frame = kScheduleResultSlots + 2 * depth;
    const int beginAt = schedule_.count;
    emit(output != nullptr ? ScheduleStepKind::Begin : ScheduleStepKind::BeginSilent, input, frame);
    bool anyControl = false;
    visiting_[i] = 1;
    for (int k = 0; k < m->controlCount; ++k) {
      if (m->controlInputs[k]->off) continue;
      anyControl = true;
      pull(m->controlInputs[k], frame, depth + 1);
    }
    for (int k = 0; k < m->audioCount; ++k) {
      if (!m->audioInputs[k]->off) pull(m->audioInputs[k], frame + 1, depth + 1);
    }
    visiting_[i] = 0;
    computed_[i] = 1;
    // With no control input on, the sum is +0 every sample; once lastControl holds a value
    // within the threshold of it, the set-control test can never pass while this shape lasts.
    const bool controlSettled = !anyControl && !(std::fabs(0.0f - voice_.lastControl[i]) > kSetControlThreshold);
    const bool processes = voice_.processFns[i] != nullptr;
    if (controlSettled && output != nullptr && schedule_.count == beginAt + 1 && !overflow_) {
      // Nothing was pulled between the two: the Begin step does the whole evaluation.
      ScheduleStep& solo = schedule_.steps[beginAt];
      solo.kind = processes ? ScheduleStepKind::Solo : ScheduleStepKind::SoloNoProcess;
      solo.output = output;  // a Begin that loaded a field calls the function again
      const ModuleKernel& kernel = moduleKernel(voice_.types[i]);
      steady_[i] = !processes && kernel.steadyOutput && output == kernel.output ? 1 : 0;
      solo.dest = static_cast<std::int16_t>(dest);
      return;
    }
    const ScheduleStepKind endKind =
        controlSettled ? (processes ? ScheduleStepKind::EndNoControl : ScheduleStepKind::EndNoControlNoProcess)
                       : (processes ? ScheduleStepKind::End : ScheduleStepKind::EndNoProcess);
    if (ScheduleStep* end = emit(endKind, input, dest)) {
      end->argument = static_cast<std::int16_t>(frame);
      end->process = voice_.processFns[i];
    }
  }

  void accumulate(const PatchModule* target, int slot) {
    const int t = target->index;
    const ModuleAccumulateFn fn = voice_.accumulateFns[t];
    if (fn == nullptr) return;
    if (ScheduleStep* step = add(ScheduleStepKind::Accumulate)) {
      step->module = static_cast<std::int16_t>(slot);
      step->dest = static_cast<std::int16_t>(t);
      step->dsp = voice_.dsps[t];
      step->accumulate = fn;
    }
  }

  void zero(int dest) {
    if (ScheduleStep* step = add(ScheduleStepKind::Zero)) step->dest = static_cast<std::int16_t>(dest);
  }

  bool fitted() const { return !overflow_; }

 private:
  ScheduleStep* add(ScheduleStepKind kind) {
    if (schedule_.count >= kMaxScheduleSteps) {
      overflow_ = true;
      return nullptr;
    }
    ScheduleStep& step = schedule_.steps[schedule_.count++];
    step = ScheduleStep{};
    step.kind = kind;
    return &step;
  }

  ScheduleStep* emit(ScheduleStepKind kind, const PatchInput* input, int dest) {
    ScheduleStep* step = add(kind);
    if (step == nullptr) return nullptr;
    step->dest = static_cast<std::int16_t>(dest);
    step->gain = &input->gain;
    if (kind == ScheduleStepKind::Zero) return step;
    // The output index shares its field with the End steps' frame: one beyond that range
    // leaves the voice to the pull.
    if (input->outputIndex < INT16_MIN || input->outputIndex > INT16_MAX) overflow_ = true;
    step->argument = static_cast<std::int16_t>(input->outputIndex);
    const int i = input->source->index;
    step->module = static_cast<std::int16_t>(i);
    step->dsp = voice_.dsps[i];
    step->output = voice_.outputFns[i];
    // An output that only returns one float of its object is loaded from there.
    const bool reads = kind == ScheduleStepKind::Leaf || kind == ScheduleStepKind::MemoLive || kind == ScheduleStepKind::Begin;
    const ModuleKernel& kernel = moduleKernel(voice_.types[i]);
    if (reads && kernel.outputField != nullptr && step->output == kernel.output) {
      step->kind = kind == ScheduleStepKind::Begin ? ScheduleStepKind::BeginField : ScheduleStepKind::LeafField;
      step->field = kernel.outputField(step->dsp, input->outputIndex);
    }
    return step;
  }

  const PatchVoice& voice_;
  VoiceSchedule& schedule_;
  std::uint8_t visiting_[kMaxVoiceModules] = {};
  std::uint8_t computed_[kMaxVoiceModules] = {};
  // Evaluated alone (no set-control, no process) with a steady output: later reads take the memo.
  std::uint8_t steady_[kMaxVoiceModules] = {};
  bool overflow_ = false;
};

}  // namespace

// The same top-level pulls as processVoiceSampleByPull, in the same order.
void deriveSchedule(const PatchVoice& voice, VoiceSchedule& schedule) {
  schedule.count = 0;
  Deriver deriver(voice, schedule);
  const PatchInput* outputInput = firstAudioInput(voice.output);
  if (outputInput != nullptr) {
    deriver.pull(outputInput, kOutputSlot, 0);
  } else {
    deriver.zero(kOutputSlot);  // no output connection: the output is +0
  }
  if (const PatchInput* send = firstAudioInput(voice.reverb1)) {
    const bool sameSource = outputInput != nullptr && send->source == outputInput->source &&
                            send->outputIndex == outputInput->outputIndex;
    if (!sameSource) deriver.pull(send, kSendSlot, 0);
    deriver.accumulate(voice.reverb1, sameSource ? kOutputSlot : kSendSlot);
  }
  int bus = kFirstBusSlot;
  for (const PatchModule* target : {voice.leftInput, voice.rightInput}) {
    const PatchInput* in = firstAudioInput(target);
    if (in != nullptr && in->source != voice.zeroVolts) {
      deriver.pull(in, bus, 0);
      deriver.accumulate(target, bus);
    }
    ++bus;
  }
  schedule.tickCount = 0;
  static_assert(std::size(kTickedRoles) == kScheduleTicks);
  for (PatchModule* PatchVoice::*role : kTickedRoles) {
    const PatchModule* m = voice.*role;
    if (m == nullptr || voice.tickFns[m->index] == nullptr) continue;
    const ModuleKernel& kernel = moduleKernel(voice.types[m->index]);
    schedule.ticks[schedule.tickCount] = voice.tickFns[m->index];
    schedule.tickLanes[schedule.tickCount] = kernel.tick == voice.tickFns[m->index] ? kernel.tickLanes : nullptr;
    schedule.tickObjects[schedule.tickCount] = voice.dsps[m->index];
    ++schedule.tickCount;
  }
  schedule.valid = true;
  schedule.usable = deriver.fitted();
  ++schedule.generation;
}

namespace {

// The control step of a module's evaluation: the set-control call when the sum moved.
template <class Floats>
inline void setControl(const ScheduleStep& s, const float* slots, Floats lastControl,
                       const ModuleSetControlFn* setControlFns) {
  const float control = slots[s.argument];
  if (std::fabs(control - lastControl[s.module]) > kSetControlThreshold) {
    if (const ModuleSetControlFn fn = setControlFns[s.module]) fn(s.dsp, control);
    lastControl[s.module] = control;
  }
}

// The end of a module's evaluation after its process call (if any): memo, value x gain.
template <class Floats>
inline void finish(const ScheduleStep& s, float audio, float* slots, Floats cache) {
  audio = sanitizeValue(audio);
  cache[s.module] = audio;
  slots[s.dest] += audio * *s.gain;
}

}  // namespace

template <int kStride>
float runScheduleAt(PatchVoice& voice, const VoiceSchedule& schedule) {
  // Result slots start at -0, so adding the one value they receive gives exactly that value.
  float slots[kMaxScheduleSlots];
  for (int r = 0; r < kScheduleResultSlots; ++r) slots[r] = -0.0f;
  const StridedFloats<kStride> cache{voice.cache.base, voice.cache.stride};
  const StridedFloats<kStride> lastControl{voice.lastControl.base, voice.lastControl.stride};
  const ModuleSetControlFn* const setControlFns = voice.setControlFns;

  // Each step's work ends with its own jump to the next step's: one indirect jump per step,
  // each predicted from the step kind before it (the steps repeat every sample).
  static const void* const kKinds[] = {
      &&zero, &&leaf, &&leaf, &&memoLiveSilent, &&memoCache, &&memoCacheRead, &&begin, &&beginSilent,
      &&endWhole, &&endNoControl, &&endNoProcess, &&endNoControlNoProcess, &&solo, &&soloNoProcess, &&accumulate,
      &&leafField, &&beginField};
  // (kKinds is in the order of the kinds' values.)
  constexpr ScheduleStepKind kOrder[] = {
      ScheduleStepKind::Zero, ScheduleStepKind::Leaf, ScheduleStepKind::MemoLive, ScheduleStepKind::MemoLiveSilent,
      ScheduleStepKind::MemoCache, ScheduleStepKind::MemoCacheRead, ScheduleStepKind::Begin,
      ScheduleStepKind::BeginSilent, ScheduleStepKind::End, ScheduleStepKind::EndNoControl,
      ScheduleStepKind::EndNoProcess, ScheduleStepKind::EndNoControlNoProcess, ScheduleStepKind::Solo,
      ScheduleStepKind::SoloNoProcess, ScheduleStepKind::Accumulate, ScheduleStepKind::LeafField,
      ScheduleStepKind::BeginField};
  static_assert(std::size(kKinds) == std::size(kOrder) &&
                static_cast<std::size_t>(ScheduleStepKind::BeginField) + 1 == std::size(kOrder));
  static_assert([&] {
    for (std::size_t k = 0; k < std::size(kOrder); ++k) {
      if (static_cast<std::size_t>(kOrder[k]) != k) return false;
    }
    return true;
  }());
  const ScheduleStep* s = schedule.steps;
  const ScheduleStep* const end = schedule.steps + schedule.count;
#define QV_NEXT_STEP()                                 \
  do {                                                 \
    if (++s == end) goto done;                         \
    goto* kKinds[static_cast<int>(s->kind)];           \
  } while (false)
  if (s == end) goto done;
  goto* kKinds[static_cast<int>(s->kind)];
zero:
  slots[s->dest] += 0.0f;
  QV_NEXT_STEP();
leaf:
  slots[s->dest] += sanitizeValue(s->output(s->dsp, s->argument)) * *s->gain;
  QV_NEXT_STEP();
memoLiveSilent:
  slots[s->dest] += sanitizeValue(0.0f) * *s->gain;
  QV_NEXT_STEP();
memoCacheRead:
  s->output(s->dsp, s->argument);
  slots[s->dest] += cache[s->module] * *s->gain;
  QV_NEXT_STEP();
memoCache:
  slots[s->dest] += cache[s->module] * *s->gain;
  QV_NEXT_STEP();
begin:
  slots[s->dest + 1] = s->output(s->dsp, s->argument);
  slots[s->dest] = 0.0f;
  QV_NEXT_STEP();
beginSilent:
  slots[s->dest + 1] = 0.0f;
  slots[s->dest] = 0.0f;
  QV_NEXT_STEP();
endWhole:
  setControl(*s, slots, lastControl, setControlFns);
  finish(*s, s->process(s->dsp, slots[s->argument + 1]), slots, cache);
  QV_NEXT_STEP();
endNoProcess:
  setControl(*s, slots, lastControl, setControlFns);
  finish(*s, slots[s->argument + 1], slots, cache);
  QV_NEXT_STEP();
endNoControl:
  finish(*s, s->process(s->dsp, slots[s->argument + 1]), slots, cache);
  QV_NEXT_STEP();
endNoControlNoProcess:
  finish(*s, slots[s->argument + 1], slots, cache);
  QV_NEXT_STEP();
solo: {
  const float y = s->output(s->dsp, s->argument);
  finish(*s, voice.processFns[s->module](s->dsp, y), slots, cache);
  QV_NEXT_STEP();
}
soloNoProcess:
  finish(*s, s->output(s->dsp, s->argument), slots, cache);
  QV_NEXT_STEP();
accumulate:
  s->accumulate(s->dsp, slots[s->module] * 0.1f);
  QV_NEXT_STEP();
leafField:
  slots[s->dest] += sanitizeValue(*s->field) * *s->gain;
  QV_NEXT_STEP();
beginField:
  slots[s->dest + 1] = *s->field;
  slots[s->dest] = 0.0f;
  QV_NEXT_STEP();
#undef QV_NEXT_STEP
done:
  return slots[kOutputSlot];
}

// The memo and the last control sums lie in the voice's own arrays or in the columns of an
// engine's voices: the runner is compiled for each of those strides.
float runSchedule(PatchVoice& voice, const VoiceSchedule& schedule) {
  const std::int32_t stride = voice.cache.stride;
  if (stride == voice.lastControl.stride) {
    if (stride == 1) return runScheduleAt<1>(voice, schedule);
    if (stride == kSideBySideVoices) return runScheduleAt<kSideBySideVoices>(voice, schedule);
  }
  return runScheduleAt<0>(voice, schedule);
}
