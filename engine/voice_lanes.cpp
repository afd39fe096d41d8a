// Several voices' flattened evaluation orders run as one (see voice_lanes.h).
#include "engine/voice_lanes.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "engine/sanitize.h"

namespace {

constexpr int kOutputSlot = 0;

// The function a step's kind calls, as stored bits, for comparing two steps.
std::uintptr_t functionBits(const ScheduleStep& s) {
  std::uintptr_t bits = 0;
  std::memcpy(&bits, &s.output, sizeof s.output);
  return bits;
}

bool readsModule(ScheduleStepKind kind) {
  return kind != ScheduleStepKind::Zero && kind != ScheduleStepKind::Accumulate;
}

bool callsProcess(ScheduleStepKind kind) {
  return kind == ScheduleStepKind::End || kind == ScheduleStepKind::EndNoControl || kind == ScheduleStepKind::Solo;
}

bool setsControl(ScheduleStepKind kind) {
  return kind == ScheduleStepKind::End || kind == ScheduleStepKind::EndNoProcess;
}

bool endsEvaluation(ScheduleStepKind kind) {
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

int indexOf(const PatchModule* m) { return m != nullptr ? m->index : -1; }

}  // namespace

bool VoiceLanes::gather(PatchVoice* voices, int count) {
  const PatchVoice& lead = voices[0];
  const VoiceSchedule& first = lead.schedule_;
  for (int l = 1; l < count; ++l) {
    if (voices[l].schedule_.count != first.count) return false;
  }
  // Shared accumulators the voices add to, and the noise, whose first read in a sample draws
  // from the generator the filters draw from.
  const int leftBus = indexOf(lead.leftInput);
  const int rightBus = indexOf(lead.rightInput);
  const int noise = indexOf(lead.noiseGenerator);
  const int filter = indexOf(lead.vcf1);
  int firstNoiseRead = -1;
  int firstFilterDraw = -1;

  stepCount_ = first.count;
  endedCount_ = 0;
  for (int i = 0; i < first.count; ++i) {
    const ScheduleStep& a = first.steps[i];
    Step& out = steps_[i];
    out.kind = a.kind;
    out.module = a.module;
    out.dest = a.dest;
    out.argument = a.argument;
    out.output = nullptr;
    out.process = nullptr;
    out.setControl = nullptr;
    out.accumulate = nullptr;
    if (readsModule(a.kind)) {
      if (a.module == leftBus || a.module == rightBus) return false;
      if (a.module == noise && firstNoiseRead < 0) firstNoiseRead = i;
      if (a.module == filter && callsProcess(a.kind) && firstFilterDraw < 0) firstFilterDraw = i;
    }
    out.processLanes = nullptr;
    out.outputLanes = nullptr;
    out.touch = LaneCall{};
    switch (a.kind) {
      case ScheduleStepKind::Leaf:
      case ScheduleStepKind::MemoLive:
      case ScheduleStepKind::MemoCacheRead:
      case ScheduleStepKind::Begin:
      case ScheduleStepKind::SoloNoProcess:
        out.output = a.output;
        break;
      case ScheduleStepKind::Solo:
        out.output = a.output;
        out.process = lead.processFns[a.module];
        break;
      case ScheduleStepKind::End:
      case ScheduleStepKind::EndNoControl:
        out.process = a.process;
        break;
      case ScheduleStepKind::Accumulate:
        out.accumulate = a.accumulate;
        break;
      default:
        break;
    }
    if (setsControl(a.kind)) out.setControl = lead.setControlFns[a.module];
    if (out.process != nullptr || out.output != nullptr) {
      const ModuleKernel& kernel = moduleKernel(lead.types[a.module]);
      if (out.process != nullptr && out.process == kernel.process) out.processLanes = kernel.processLanes;
      if (out.output != nullptr && out.output == kernel.output) out.outputLanes = kernel.outputLanes;
    }
    if (endsEvaluation(a.kind)) ended_[endedCount_++] = a.module;
    for (int l = 0; l < count; ++l) {
      const PatchVoice& voice = voices[l];
      const ScheduleStep& b = voice.schedule_.steps[i];
      if (b.kind != a.kind || b.module != a.module || b.dest != a.dest || b.argument != a.argument ||
          functionBits(b) != functionBits(a)) {
        return false;
      }
      if (a.kind == ScheduleStepKind::Solo && voice.processFns[a.module] != out.process) return false;
      if (setsControl(a.kind) && voice.setControlFns[a.module] != out.setControl) return false;
      out.dsp[l] = b.dsp;
      out.gain[l] = b.gain;
    }
  }
  // Evaluated in turn, the first voice's filter draws, then its first read of the noise
  // draws (later reads in the sample take the noise's kept value), then the other voices'
  // filters. Together, the noise is read for the first time right after the first lane's
  // filter.
  if (firstFilterDraw >= 0 && firstNoiseRead > firstFilterDraw) {
    Step& draw = steps_[firstFilterDraw];
    const Step& read = steps_[firstNoiseRead];
    if (read.output == nullptr) return false;
    draw.touch = LaneCall{read.output, read.dsp[0], read.argument};
  }
  return true;
}

// The process calls of a step in lane order, with the noise's first read after the first
// lane's where the step asks for it.
template <int kCount>
inline void VoiceLanes::processLanes(const Step& s, const float* audio, float* value) {
  const LaneCall* between = s.touch.output != nullptr ? &s.touch : nullptr;
  if (s.processLanes != nullptr) {
    s.processLanes(s.dsp, audio, value, kCount, between);
    return;
  }
  value[0] = s.process(s.dsp[0], audio[0]);
  if (between != nullptr) between->output(between->dsp, between->outputIndex);
  for (int l = 1; l < kCount; ++l) value[l] = s.process(s.dsp[l], audio[l]);
}

// The output reads of a step in lane order.
template <int kCount>
inline void VoiceLanes::readOutputs(const Step& s, float* value) {
  if (s.outputLanes != nullptr) {
    s.outputLanes(s.dsp, s.argument, value, kCount);
    return;
  }
  for (int l = 0; l < kCount; ++l) value[l] = s.output(s.dsp[l], s.argument);
}

namespace {

// slot[l] += (sanitised) value[l] x gain, lane by lane. The values were just stored one by
// one (by the module calls): read back one by one, they come straight from the stores.
template <int kCount, bool kSanitize>
inline void addScaled(float* slot, const float* value, const float* const* gain) {
  for (int l = 0; l < kCount; ++l) {
    float v = value[l];
    if constexpr (kSanitize) v = sanitizeValue(v);
    slot[l] += v * *gain[l];
  }
}

}  // namespace

// One sample of `kCount` voices. The memo flags are set after the steps, for every module
// whose evaluation ended: nothing reads them during the steps (the order resolves the memo
// when it is derived), and byte stores inside the loop would make every other value be read
// again after each.
template <int kCount>
void VoiceLanes::run(PatchVoice* voices, float* outputs) {
  float slots[kMaxScheduleSlots][kCount];
  float value[kCount];
  for (int r = 0; r < kScheduleResultSlots; ++r) {
    for (float& slot : slots[r]) slot = -0.0f;
  }
  float* cache[kCount];
  float* lastControl[kCount];
  for (int l = 0; l < kCount; ++l) {
    cache[l] = voices[l].cache;
    lastControl[l] = voices[l].lastControl;
  }

  const Step* const end = steps_ + stepCount_;
  for (const Step* s = steps_; s != end; ++s) {
    bool finishes = false;
    switch (s->kind) {
      case ScheduleStepKind::Zero:
        for (float& slot : slots[s->dest]) slot += 0.0f;
        break;
      case ScheduleStepKind::Leaf:
      case ScheduleStepKind::MemoLive:
        readOutputs<kCount>(*s, value);
        addScaled<kCount, true>(slots[s->dest], value, s->gain);
        break;
      case ScheduleStepKind::MemoLiveSilent:
        for (int l = 0; l < kCount; ++l) value[l] = 0.0f;
        addScaled<kCount, true>(slots[s->dest], value, s->gain);
        break;
      case ScheduleStepKind::MemoCacheRead:
        readOutputs<kCount>(*s, value);
        [[fallthrough]];
      case ScheduleStepKind::MemoCache:
        for (int l = 0; l < kCount; ++l) value[l] = cache[l][s->module];
        addScaled<kCount, false>(slots[s->dest], value, s->gain);
        break;
      case ScheduleStepKind::Begin:
        readOutputs<kCount>(*s, slots[s->dest + 1]);
        for (float& control : slots[s->dest]) control = 0.0f;
        break;
      case ScheduleStepKind::BeginSilent:
        for (float& audio : slots[s->dest + 1]) audio = 0.0f;
        for (float& control : slots[s->dest]) control = 0.0f;
        break;
      case ScheduleStepKind::End:
      case ScheduleStepKind::EndNoProcess: {
        // The lanes whose control sum moved, found without a branch per lane: it rarely moves.
        const float* control = slots[s->argument];
        unsigned moved = 0;
        for (int l = 0; l < kCount; ++l) {
          moved |= static_cast<unsigned>(std::fabs(control[l] - lastControl[l][s->module]) > kSetControlThreshold) << l;
        }
        for (; moved != 0; moved &= moved - 1) {
          const int l = std::countr_zero(moved);
          if (s->setControl != nullptr) s->setControl(s->dsp[l], control[l]);
          lastControl[l][s->module] = control[l];
        }
        const float* audio = slots[s->argument + 1];
        if (s->kind == ScheduleStepKind::End) {
          processLanes<kCount>(*s, audio, value);
        } else {
          for (int l = 0; l < kCount; ++l) value[l] = audio[l];
        }
        finishes = true;
        break;
      }
      case ScheduleStepKind::EndNoControl: {
        processLanes<kCount>(*s, slots[s->argument + 1], value);
        finishes = true;
        break;
      }
      case ScheduleStepKind::EndNoControlNoProcess: {
        const float* audio = slots[s->argument + 1];
        for (int l = 0; l < kCount; ++l) value[l] = audio[l];
        finishes = true;
        break;
      }
      case ScheduleStepKind::Solo: {
        float audio[kCount];
        readOutputs<kCount>(*s, audio);
        processLanes<kCount>(*s, audio, value);
        finishes = true;
        break;
      }
      case ScheduleStepKind::SoloNoProcess:
        readOutputs<kCount>(*s, value);
        finishes = true;
        break;
      case ScheduleStepKind::Accumulate: {
        const float* result = slots[s->module];
        for (int l = 0; l < kCount; ++l) s->accumulate(s->dsp[l], result[l] * 0.1f);
        break;
      }
    }
    if (finishes) {
      // The end of a module's evaluation in every lane: sanitised, memoised, x gain.
      for (int l = 0; l < kCount; ++l) {
        const float v = sanitizeValue(value[l]);
        cache[l][s->module] = v;
        slots[s->dest][l] += v * *s->gain[l];
      }
    }
  }
  const int ended = endedCount_;  // read once: the byte stores below may alias it
  for (int l = 0; l < kCount; ++l) {
    outputs[l] = slots[kOutputSlot][l];
    std::uint8_t* const computed = voices[l].computed;
    for (int i = 0; i < ended; ++i) computed[ended_[i]] = 1;
  }
}

void VoiceLanes::runAll(PatchVoice* voices, int count, float* outputs) {
  static_assert(kMaxLaneVoices == 9);
  switch (count) {
    case 2: run<2>(voices, outputs); break;
    case 3: run<3>(voices, outputs); break;
    case 4: run<4>(voices, outputs); break;
    case 5: run<5>(voices, outputs); break;
    case 6: run<6>(voices, outputs); break;
    case 7: run<7>(voices, outputs); break;
    case 8: run<8>(voices, outputs); break;
    default: run<9>(voices, outputs); break;
  }
}

// Each voice's ticks touch only its own modules, so ticking module k of every voice before
// module k + 1 of any gives each voice what ticking it whole gives.
void VoiceLanes::prepareVoices(PatchVoice* voices, int count) {
  bool valid = true;
  for (int v = 0; v < count && valid; ++v) valid = voices[v].schedule_.valid;
  if (valid) {
    bool same = ticksCheckedFor_ == voices && ticksCheckedCount_ == count;
    for (int v = 0; v < count && same; ++v) same = ticksGenerations_[v] == voices[v].schedule_.generation;
    if (!same) {
      const VoiceSchedule& first = voices[0].schedule_;
      ticksTogether_ = true;
      for (int v = 1; v < count && ticksTogether_; ++v) {
        const VoiceSchedule& other = voices[v].schedule_;
        ticksTogether_ = other.tickCount == first.tickCount;
        for (int k = 0; k < first.tickCount && ticksTogether_; ++k) {
          ticksTogether_ = other.ticks[k] == first.ticks[k] && other.tickLanes[k] == first.tickLanes[k];
        }
      }
      ticksCheckedFor_ = voices;
      ticksCheckedCount_ = count;
      for (int v = 0; v < count; ++v) ticksGenerations_[v] = voices[v].schedule_.generation;
    }
  }
  if (!valid || !ticksTogether_) {
    for (int v = 0; v < count; ++v) prepareVoiceSample(voices[v]);
    return;
  }
  for (int v = 0; v < count; ++v) clearVoiceMemo(voices[v]);
  const VoiceSchedule& first = voices[0].schedule_;
  void* objects[kMaxLaneVoices];
  for (int k = 0; k < first.tickCount; ++k) {
    for (int v = 0; v < count; ++v) objects[v] = voices[v].schedule_.tickObjects[k];
    if (const ModuleTickLanesFn lanes = first.tickLanes[k]) {
      lanes(objects, count);
    } else {
      for (int v = 0; v < count; ++v) first.ticks[k](objects[v]);
    }
  }
}

float VoiceLanes::process(PatchVoice* voices, int count) {
  ranTogether_ = false;
  if (count <= 1) {
    prepareVoiceSample(voices[0]);
    return processVoiceSample(voices[0]);
  }
  prepareVoices(voices, count);
  bool scheduled = true;
  for (int v = 0; v < count; ++v) {
    PatchVoice& voice = voices[v];
    voice.advanceRamps();
    if (!voice.schedule_.valid) deriveSchedule(voice, voice.schedule_);
    scheduled = scheduled && voice.memoCleared_ && voice.schedule_.usable;
  }
  if (scheduled) {
    bool same = builtFor_ == voices && builtCount_ == count;
    for (int v = 0; v < count && same; ++v) same = builtGenerations_[v] == voices[v].schedule_.generation;
    if (!same) {
      together_ = gather(voices, count);
      builtFor_ = voices;
      builtCount_ = count;
      for (int v = 0; v < count; ++v) builtGenerations_[v] = voices[v].schedule_.generation;
    }
  }
  if (!scheduled || !together_) {
    float sum = evaluateVoiceSample(voices[0]);
    for (int v = 1; v < count; ++v) sum += evaluateVoiceSample(voices[v]);
    return sum;
  }
  float outputs[kMaxLaneVoices];
  runAll(voices, count, outputs);
  ranTogether_ = true;
  float sum = outputs[0];
  for (int v = 0; v < count; ++v) voices[v].memoCleared_ = false;
  for (int v = 1; v < count; ++v) sum += outputs[v];
  return sum;
}
