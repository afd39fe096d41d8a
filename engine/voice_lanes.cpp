// Several voices' flattened evaluation orders run as one (see voice_lanes.h).
#include "engine/voice_lanes.h"

#include <emmintrin.h>

#include <bit>
#include <cmath>
#include <cstring>

#include "engine/sanitize.h"
#include "engine/sanitize_lanes.h"

namespace {

constexpr int kOutputSlot = 0;

// The gain of a pad lane.
constexpr float kPadGain = 0.0f;

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

int indexOf(const PatchModule* m) { return m != nullptr ? m->index : -1; }

// A step of a voice's list with the function it stands for: an output the list loads
// from its float is the module's output function (so the voices' steps compare alike).
ScheduleStep asCalled(const ScheduleStep& step, const PatchVoice& voice) {
  ScheduleStep called = step;
  if (step.kind == ScheduleStepKind::LeafField || step.kind == ScheduleStepKind::BeginField) {
    called.kind = step.kind == ScheduleStepKind::LeafField ? ScheduleStepKind::Leaf : ScheduleStepKind::Begin;
    called.output = voice.outputFns[step.module];
  }
  return called;
}

}  // namespace

bool VoiceLanes::gather(PatchVoice* voices, int count) {
  const PatchVoice& lead = voices[0];
  const VoiceSchedule& first = lead.schedule_;
  if (first.count > kMaxLaneSteps) return false;
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
  for (int i = 0; i < first.count; ++i) {
    const ScheduleStep& own = first.steps[i];
    const ScheduleStep a = asCalled(own, lead);
    Step& out = steps_[i];
    out.kind = own.kind;  // steps that load a float load it in each lane
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
    out.accumulateLanes = nullptr;
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
      case ScheduleStepKind::Accumulate: {
        out.accumulate = a.accumulate;
        const ModuleKernel& kernel = moduleKernel(lead.types[a.dest]);
        if (kernel.accumulate == a.accumulate) out.accumulateLanes = kernel.accumulateLanes;
        break;
      }
      default:
        break;
    }
    if (setsControl(a.kind)) out.setControl = lead.setControlFns[a.module];
    if (out.process != nullptr || out.output != nullptr) {
      const ModuleKernel& kernel = moduleKernel(lead.types[a.module]);
      if (out.process != nullptr && out.process == kernel.process) out.processLanes = kernel.processLanes;
      if (out.output != nullptr && out.output == kernel.output) out.outputLanes = kernel.outputLanes;
    }
    for (int l = 0; l < count; ++l) {
      const PatchVoice& voice = voices[l];
      const ScheduleStep& its = voice.schedule_.steps[i];
      const ScheduleStep b = asCalled(its, voice);
      if (its.kind != own.kind || b.module != a.module || b.dest != a.dest || b.argument != a.argument ||
          functionBits(b) != functionBits(a)) {
        return false;
      }
      if (a.kind == ScheduleStepKind::Solo && voice.processFns[a.module] != out.process) return false;
      if (setsControl(a.kind) && voice.setControlFns[a.module] != out.setControl) return false;
      if (its.kind == ScheduleStepKind::LeafField || its.kind == ScheduleStepKind::BeginField) {
        out.field[l] = its.field;
      } else {
        out.dsp[l] = b.dsp;
      }
      out.gain[l] = b.gain;
      out.cache[l] = &voices[l].cache[a.module];
      out.lastControl[l] = &voices[l].lastControl[a.module];
    }
    for (int l = count; l < laneWidth(count); ++l) out.gain[l] = &kPadGain;
    out.memoSideBySide = true;
    for (int l = 1; l < count; ++l) {
      out.memoSideBySide = out.memoSideBySide && out.cache[l] == out.cache[0] + l &&
                           out.lastControl[l] == out.lastControl[0] + l;
    }
    out.gainsSideBySide = out.gain[0] != nullptr;
    for (int l = 1; l < count; ++l) out.gainsSideBySide = out.gainsSideBySide && out.gain[l] == out.gain[0] + l;
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
  storeLaneGroups(value, kCount, [&](int l) QV_LANE_INLINE {
    const float v = s.process(s.dsp[l], audio[l]);
    if (l == 0 && between != nullptr) between->output(between->dsp, between->outputIndex);
    return v;
  });
}

// The output reads of a step in lane order.
template <int kCount>
inline void VoiceLanes::readOutputs(const Step& s, float* value) {
  if (s.outputLanes != nullptr) {
    s.outputLanes(s.dsp, s.argument, value, kCount);
    return;
  }
  storeLaneGroups(value, kCount, [&](int l) QV_LANE_INLINE -> float { return s.output(s.dsp[l], s.argument); });
}

namespace {

// The gains of lanes j .. j+3.
template <class Step>
inline __m128 gainLanes(const Step& s, int j) {
  if (s.gainsSideBySide) return _mm_loadu_ps(s.gain[0] + j);
  return _mm_setr_ps(*s.gain[j], *s.gain[j + 1], *s.gain[j + 2], *s.gain[j + 3]);
}

// slot += (sanitised) value x gain, four lanes at a time.
template <int kWidth, bool kSanitize, class Step>
inline void addScaled(float* slot, const float* value, const Step& s) {
  for (int j = 0; j < kWidth; j += kSimdLanes) {
    __m128 v = _mm_load_ps(value + j);
    if constexpr (kSanitize) v = sanitizeValueLanes(v);
    _mm_store_ps(slot + j, _mm_add_ps(_mm_load_ps(slot + j), _mm_mul_ps(v, gainLanes(s, j))));
  }
}

// |control - last| > kSetControlThreshold as one bit per lane (lane l: bit l).
// (The pad lanes' bits are dropped: what they compare does not matter.)
template <int kCount, class Step>
inline unsigned movedLanes(const float* control, const Step& s) {
  constexpr int kWidth = laneWidth(kCount);
  alignas(16) float gathered[kWidth] = {};
  const float* last = s.lastControl[0];
  if (!s.memoSideBySide) {
    for (int l = 0; l < kCount; ++l) gathered[l] = *s.lastControl[l];
    last = gathered;
  }
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
  const __m128 threshold = _mm_set1_ps(kSetControlThreshold);
  unsigned moved = 0;
  for (int j = 0; j < kWidth; j += kSimdLanes) {
    const __m128 distance = _mm_and_ps(_mm_sub_ps(_mm_load_ps(control + j), _mm_loadu_ps(last + j)), magnitude);
    moved |= static_cast<unsigned>(_mm_movemask_ps(_mm_cmpgt_ps(distance, threshold))) << j;
  }
  return moved & ((1u << kCount) - 1u);
}

}  // namespace

// One sample of `kCount` voices. Nothing reads the memo flags during the steps (the order
// resolves the memo when it is derived): the voices are told which modules ended, and set
// the flags only if a pull of this sample comes to need them.
template <int kCount>
void VoiceLanes::run(PatchVoice* voices, float* outputs) {
  constexpr int kWidth = laneWidth(kCount);
  alignas(16) float slots[kMaxScheduleSlots][kWidth];
  alignas(16) float value[kWidth] = {};
  alignas(16) float audio[kWidth] = {};
  for (int r = 0; r < kScheduleResultSlots; ++r) {
    for (float& slot : slots[r]) slot = -0.0f;
  }

  const Step* const end = steps_ + stepCount_;
  for (const Step* s = steps_; s != end; ++s) {
    bool finishes = false;
    switch (s->kind) {
      case ScheduleStepKind::Zero:
        for (int j = 0; j < kWidth; j += kSimdLanes) {
          _mm_store_ps(slots[s->dest] + j, _mm_add_ps(_mm_load_ps(slots[s->dest] + j), _mm_setzero_ps()));
        }
        break;
      case ScheduleStepKind::Leaf:
      case ScheduleStepKind::MemoLive:
        readOutputs<kCount>(*s, value);
        addScaled<kWidth, true>(slots[s->dest], value, *s);
        break;
      case ScheduleStepKind::LeafField:
        storeLaneGroups(value, kCount, [&](int l) QV_LANE_INLINE { return *s->field[l]; });
        addScaled<kWidth, true>(slots[s->dest], value, *s);
        break;
      case ScheduleStepKind::MemoLiveSilent:
        for (float& v : value) v = 0.0f;
        addScaled<kWidth, true>(slots[s->dest], value, *s);
        break;
      case ScheduleStepKind::MemoCacheRead:
        readOutputs<kCount>(*s, value);
        [[fallthrough]];
      case ScheduleStepKind::MemoCache:
        storeLaneGroups(value, kCount, [&](int l) QV_LANE_INLINE { return *s->cache[l]; });
        addScaled<kWidth, false>(slots[s->dest], value, *s);
        break;
      case ScheduleStepKind::Begin:
        readOutputs<kCount>(*s, slots[s->dest + 1]);
        for (float& control : slots[s->dest]) control = 0.0f;
        break;
      case ScheduleStepKind::BeginField:
        storeLaneGroups(slots[s->dest + 1], kCount, [&](int l) QV_LANE_INLINE { return *s->field[l]; });
        for (float& control : slots[s->dest]) control = 0.0f;
        break;
      case ScheduleStepKind::BeginSilent:
        for (float& v : slots[s->dest + 1]) v = 0.0f;
        for (float& control : slots[s->dest]) control = 0.0f;
        break;
      case ScheduleStepKind::End:
      case ScheduleStepKind::EndNoProcess: {
        // The control sum rarely moves: the moved lanes are found four at a time.
        const float* control = slots[s->argument];
        for (unsigned moved = movedLanes<kCount>(control, *s); moved != 0; moved &= moved - 1) {
          const int l = std::countr_zero(moved);
          if (s->setControl != nullptr) s->setControl(s->dsp[l], control[l]);
          *s->lastControl[l] = control[l];
        }
        if (s->kind == ScheduleStepKind::End) {
          processLanes<kCount>(*s, slots[s->argument + 1], value);
        } else {
          for (int j = 0; j < kWidth; j += kSimdLanes) {
            _mm_store_ps(value + j, _mm_load_ps(slots[s->argument + 1] + j));
          }
        }
        finishes = true;
        break;
      }
      case ScheduleStepKind::EndNoControl:
        processLanes<kCount>(*s, slots[s->argument + 1], value);
        finishes = true;
        break;
      case ScheduleStepKind::EndNoControlNoProcess:
        for (int j = 0; j < kWidth; j += kSimdLanes) {
          _mm_store_ps(value + j, _mm_load_ps(slots[s->argument + 1] + j));
        }
        finishes = true;
        break;
      case ScheduleStepKind::Solo:
        readOutputs<kCount>(*s, audio);
        processLanes<kCount>(*s, audio, value);
        finishes = true;
        break;
      case ScheduleStepKind::SoloNoProcess:
        readOutputs<kCount>(*s, value);
        finishes = true;
        break;
      case ScheduleStepKind::Accumulate: {
        const float* result = slots[s->module];
        if (s->accumulateLanes != nullptr) {
          for (int j = 0; j < kWidth; j += kSimdLanes) {
            _mm_store_ps(value + j, _mm_mul_ps(_mm_load_ps(result + j), _mm_set1_ps(0.1f)));
          }
          s->accumulateLanes(s->dsp, value, kCount);
        } else {
          for (int l = 0; l < kCount; ++l) s->accumulate(s->dsp[l], result[l] * 0.1f);
        }
        break;
      }
    }
    if (finishes) {
      // The end of a module's evaluation in every lane: sanitised, memoised, x gain.
      float* const slot = slots[s->dest];
      for (int j = 0; j < kWidth; j += kSimdLanes) {
        const __m128 v = sanitizeValueLanes(_mm_load_ps(value + j));
        _mm_store_ps(value + j, v);
        _mm_store_ps(slot + j, _mm_add_ps(_mm_load_ps(slot + j), _mm_mul_ps(v, gainLanes(*s, j))));
      }
      // Whole groups of side-by-side memos with one store; never past the last voice's.
      int l = 0;
      if (s->memoSideBySide) {
        for (; l + kSimdLanes <= kCount; l += kSimdLanes) _mm_storeu_ps(s->cache[0] + l, _mm_load_ps(value + l));
      }
      for (; l < kCount; ++l) *s->cache[l] = value[l];
    }
  }
  for (int l = 0; l < kCount; ++l) {
    outputs[l] = slots[kOutputSlot][l];
    voices[l].endedPending_ = &voices[l].schedule_;
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
void VoiceLanes::gatherTicks(PatchVoice* voices, int count) {
  const VoiceSchedule& first = voices[0].schedule_;
  ticksTogether_ = true;
  for (int v = 1; v < count && ticksTogether_; ++v) {
    const VoiceSchedule& other = voices[v].schedule_;
    ticksTogether_ = other.tickCount == first.tickCount;
    for (int k = 0; k < first.tickCount && ticksTogether_; ++k) {
      ticksTogether_ = other.ticks[k] == first.ticks[k] && other.tickLanes[k] == first.tickLanes[k];
    }
  }
  tickCount_ = first.tickCount;
  for (int k = 0; k < first.tickCount; ++k) {
    ticks_[k] = first.ticks[k];
    tickLanes_[k] = first.tickLanes[k];
    for (int v = 0; v < count; ++v) tickObjects_[k][v] = voices[v].schedule_.tickObjects[k];
  }
}

void VoiceLanes::tickTogether(PatchVoice* voices, int count) {
  for (int v = 0; v < count; ++v) clearVoiceMemo(voices[v]);
  for (int k = 0; k < tickCount_; ++k) {
    if (const ModuleTickLanesFn lanes = tickLanes_[k]) {
      lanes(tickObjects_[k], count);
    } else {
      for (int v = 0; v < count; ++v) ticks_[k](tickObjects_[k][v]);
    }
  }
}

float VoiceLanes::process(PatchVoice* voices, int count) {
  ranTogether_ = false;
  if (count <= 1) {
    prepareVoiceSample(voices[0]);
    return processVoiceSample(voices[0]);
  }
  // Whether the steps and ticks were built for these voices' orders as they stand.
  bool current = builtFor_ == voices && builtCount_ == count;
  for (int v = 0; v < count && current; ++v) {
    const VoiceSchedule& schedule = voices[v].schedule_;
    current = schedule.valid && builtGenerations_[v] == schedule.generation;
  }
  if (current && ticksTogether_) {
    tickTogether(voices, count);
  } else {
    for (int v = 0; v < count; ++v) prepareVoiceSample(voices[v]);
  }
  bool scheduled = true;
  for (int v = 0; v < count; ++v) {
    PatchVoice& voice = voices[v];
    voice.advanceRamps();
    if (!voice.schedule_.valid) {
      deriveSchedule(voice, voice.schedule_);
      current = false;
    }
    scheduled = scheduled && voice.memoCleared_ && voice.schedule_.usable;
  }
  if (scheduled && !current) {
    together_ = gather(voices, count);
    gatherTicks(voices, count);
    builtFor_ = voices;
    builtCount_ = count;
    for (int v = 0; v < count; ++v) builtGenerations_[v] = voices[v].schedule_.generation;
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
