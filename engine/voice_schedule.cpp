// Deriving and running a voice's flattened evaluation order (see voice_schedule.h). The
// derivation walks the graph exactly as PatchVoice::evaluateInput does, keeping its own
// visiting and computed flags, and writes down each call instead of making it.
#include "engine/voice_schedule.h"

#include <cmath>
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
      emit(voice_.isGenerator[i] != 0 ? ScheduleStepKind::MemoLive : ScheduleStepKind::MemoCache, input, dest);
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
    if (controlSettled && output != nullptr && schedule_.count == beginAt + 1 && !overflow_) {
      // Nothing was pulled between the two: the Begin step does the whole evaluation.
      ScheduleStep& solo = schedule_.steps[beginAt];
      solo.kind = ScheduleStepKind::Solo;
      solo.dest = static_cast<std::int16_t>(dest);
      return;
    }
    const bool processes = voice_.processFns[i] != nullptr;
    const ScheduleStepKind endKind =
        controlSettled ? (processes ? ScheduleStepKind::EndNoControl : ScheduleStepKind::EndNoControlNoProcess)
                       : (processes ? ScheduleStepKind::End : ScheduleStepKind::EndNoProcess);
    if (ScheduleStep* end = emit(endKind, input, dest)) end->frame = static_cast<std::int16_t>(frame);
  }

  void accumulate(const PatchModule* target, int slot) {
    const int t = target->index;
    const ModuleAccumulateFn fn = voice_.accumulateFns[t];
    if (fn == nullptr) return;
    if (ScheduleStep* step = add(ScheduleStepKind::Accumulate)) {
      step->module = static_cast<std::int16_t>(slot);
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
    step->input = input;
    step->outputIndex = input->outputIndex;
    if (kind == ScheduleStepKind::Zero) return step;
    const int i = input->source->index;
    step->module = static_cast<std::int16_t>(i);
    step->dsp = voice_.dsps[i];
    step->output = voice_.outputFns[i];
    step->setControl = voice_.setControlFns[i];
    step->process = voice_.processFns[i];
    return step;
  }

  const PatchVoice& voice_;
  VoiceSchedule& schedule_;
  std::uint8_t visiting_[kMaxVoiceModules] = {};
  std::uint8_t computed_[kMaxVoiceModules] = {};
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
    schedule.ticks[schedule.tickCount] = voice.tickFns[m->index];
    schedule.tickObjects[schedule.tickCount] = voice.dsps[m->index];
    ++schedule.tickCount;
  }
  schedule.valid = true;
  schedule.usable = deriver.fitted();
}

namespace {

// The control step of a module's evaluation: the set-control call when the sum moved.
inline void setControl(const ScheduleStep& s, const float* slots, float* lastControl) {
  const float control = slots[s.frame];
  if (std::fabs(control - lastControl[s.module]) > kSetControlThreshold) {
    if (s.setControl != nullptr) s.setControl(s.dsp, control);
    lastControl[s.module] = control;
  }
}

// The end of a module's evaluation after its control step: process (a step kind without
// one knows the module has none), memo, value x gain.
template <bool kProcesses>
inline void finish(const ScheduleStep& s, float audio, float* slots, float* cache, std::uint8_t* computed) {
  if constexpr (kProcesses) audio = s.process(s.dsp, audio);
  computed[s.module] = 1;
  audio = sanitizeValue(audio);
  cache[s.module] = audio;
  slots[s.dest] += audio * s.input->gain;
}

}  // namespace

float runSchedule(PatchVoice& voice, const VoiceSchedule& schedule) {
  // Result slots start at -0, so adding the one value they receive gives exactly that value.
  float slots[kMaxScheduleSlots];
  for (int r = 0; r < kScheduleResultSlots; ++r) slots[r] = -0.0f;
  float* const cache = voice.cache;
  float* const lastControl = voice.lastControl;
  std::uint8_t* const computed = voice.computed;

  const ScheduleStep* const end = schedule.steps + schedule.count;
  for (const ScheduleStep* s = schedule.steps; s != end; ++s) {
    switch (s->kind) {
      case ScheduleStepKind::Zero:
        slots[s->dest] += 0.0f;
        break;
      case ScheduleStepKind::Leaf:
        slots[s->dest] += sanitizeValue(s->output(s->dsp, s->outputIndex)) * s->input->gain;
        break;
      case ScheduleStepKind::MemoLive: {
        const float y = s->output != nullptr ? s->output(s->dsp, s->outputIndex) : 0.0f;
        slots[s->dest] += sanitizeValue(y) * s->input->gain;
        break;
      }
      case ScheduleStepKind::MemoCache:
        if (s->output != nullptr) s->output(s->dsp, s->outputIndex);
        slots[s->dest] += cache[s->module] * s->input->gain;
        break;
      case ScheduleStepKind::Begin:
        slots[s->dest + 1] = s->output(s->dsp, s->outputIndex);
        slots[s->dest] = 0.0f;
        break;
      case ScheduleStepKind::BeginSilent:
        slots[s->dest + 1] = 0.0f;
        slots[s->dest] = 0.0f;
        break;
      case ScheduleStepKind::End:
        setControl(*s, slots, lastControl);
        finish<true>(*s, slots[s->frame + 1], slots, cache, computed);
        break;
      case ScheduleStepKind::EndNoProcess:
        setControl(*s, slots, lastControl);
        finish<false>(*s, slots[s->frame + 1], slots, cache, computed);
        break;
      case ScheduleStepKind::EndNoControl:
        finish<true>(*s, slots[s->frame + 1], slots, cache, computed);
        break;
      case ScheduleStepKind::EndNoControlNoProcess:
        finish<false>(*s, slots[s->frame + 1], slots, cache, computed);
        break;
      case ScheduleStepKind::Solo: {
        const float y = s->output(s->dsp, s->outputIndex);
        if (s->process != nullptr) {
          finish<true>(*s, y, slots, cache, computed);
        } else {
          finish<false>(*s, y, slots, cache, computed);
        }
        break;
      }
      case ScheduleStepKind::Accumulate:
        s->accumulate(s->dsp, slots[s->module] * 0.1f);
        break;
    }
  }
  return slots[kOutputSlot];
}
