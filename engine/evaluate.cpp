// Per-sample pull evaluation of a voice's module graph.
#include <cmath>
#include <cstring>

#include "engine/patch_voice.h"
#include "engine/sanitize.h"

void PatchVoice::settleEndedModules() {
  const VoiceSchedule& list = *endedPending_;
  for (int k = 0; k < list.count; ++k) {
    if (endsEvaluation(list.steps[k].kind)) computed[list.steps[k].module] = 1;
  }
  memoDirty_ = true;
  endedPending_ = nullptr;
}

float PatchVoice::evaluateInput(PatchInput* input) {
  if (endedPending_ != nullptr) settleEndedModules();
  memoCleared_ = false;
  memoDirty_ = true;
  return pull(input);
}

float PatchVoice::pull(PatchInput* input) {
  PatchModule* m = input->source;
  if (m == nullptr) return 0.0f;
  const int i = m->index;
  if (i < 0 || i >= moduleCount || modules[i] != m) return 0.0f;  // not a module of this voice

  // The output function is read before the controls are set: a generator driven by its
  // control sum gives its first reader last sample's setting.
  float y = 0.0f;
  if (ModuleOutputFn output = outputFns[i]) {
    y = output(dsps[i], input->outputIndex);
    if (m->controlCount == 0) return sanitizeValue(y) * input->gain;
  }

  // Already evaluated this sample, or inside a loop through this module.
  if (visiting[i] != 0 || computed[i] != 0) {
    if (isGenerator[i] != 0) return sanitizeValue(y) * input->gain;
    return cache[i] * input->gain;
  }

  visiting[i] = 1;
  float control = 0.0f;
  for (int k = 0; k < m->controlCount; ++k) {
    PatchInput* in = m->controlInputs[k];
    if (!in->off) control += pull(in);
  }
  float audio = y;
  for (int k = 0; k < m->audioCount; ++k) {
    PatchInput* in = m->audioInputs[k];
    if (!in->off) audio += pull(in);
  }
  visiting[i] = 0;

  if (std::fabs(control - lastControl[i]) > kSetControlThreshold) {
    if (ModuleSetControlFn setControl = setControlFns[i]) setControl(dsps[i], control);
    lastControl[i] = control;
  }
  if (ModuleProcessFn process = processFns[i]) audio = process(dsps[i], audio);

  computed[i] = 1;
  audio = sanitizeValue(audio);
  cache[i] = audio;
  return audio * input->gain;
}

void clearVoiceMemo(PatchVoice& voice) {
  if (voice.memoDirty_) std::memset(voice.computed, 0, sizeof voice.computed);
  voice.memoDirty_ = false;
  voice.endedPending_ = nullptr;
  voice.memoCleared_ = true;
}

void prepareVoiceSample(PatchVoice& voice) {
  clearVoiceMemo(voice);
  const VoiceSchedule& schedule = voice.schedule_;
  if (schedule.valid) {
    for (int k = 0; k < schedule.tickCount; ++k) schedule.ticks[k](schedule.tickObjects[k]);
    return;
  }
  for (PatchModule* PatchVoice::*role : kTickedRoles) {
    const PatchModule* m = voice.*role;
    if (m == nullptr) continue;
    if (ModuleTickFn tick = voice.tickFns[m->index]) tick(voice.dsps[m->index]);
  }
}

namespace {

void accumulateInto(PatchVoice& voice, const PatchModule* target, float value) {
  if (ModuleAccumulateFn accumulate = voice.accumulateFns[target->index]) {
    accumulate(voice.dsps[target->index], value);
  }
}

// The sample's top-level pulls: the output, the reverb send, the two input buses.
float pullSample(PatchVoice& voice) {
  PatchInput* outputInput = firstAudioInput(voice.output);
  const float out = outputInput ? voice.evaluateInput(outputInput) : 0.0f;

  // The reverb send usually reads the same output of the same module as the voice's output:
  // reuse the value then. Another output of that module is a different signal.
  if (PatchInput* send = firstAudioInput(voice.reverb1)) {
    const bool sameSource = outputInput != nullptr && send->source == outputInput->source &&
                            send->outputIndex == outputInput->outputIndex;
    accumulateInto(voice, voice.reverb1, sameSource ? out * 0.1f : voice.evaluateInput(send) * 0.1f);
  }
  for (PatchModule* bus : {voice.leftInput, voice.rightInput}) {
    PatchInput* in = firstAudioInput(bus);
    if (in == nullptr || in->source == voice.zeroVolts) continue;
    accumulateInto(voice, bus, voice.evaluateInput(in) * 0.1f);
  }
  return out;
}

}  // namespace

float processVoiceSampleByPull(PatchVoice& voice) {
  voice.advanceRamps();
  return pullSample(voice);
}

float processVoiceSample(PatchVoice& voice) {
  voice.advanceRamps();
  return evaluateVoiceSample(voice);
}

float evaluateVoiceSample(PatchVoice& voice) {
  if (voice.endedPending_ != nullptr) voice.settleEndedModules();
  if (!voice.schedule_.valid) deriveSchedule(voice, voice.schedule_);
  if (!voice.memoCleared_ || !voice.schedule_.usable) {
    voice.memoDirty_ = true;
    return pullSample(voice);
  }
  voice.memoCleared_ = false;
  const float out = runSchedule(voice, voice.schedule_);
  voice.endedPending_ = &voice.schedule_;
  return out;
}
