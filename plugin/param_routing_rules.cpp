// Routing rules that change several connections of a context together. Gains that must
// change at once, and choices that depend on what the audio thread owns (whether an insert
// is patched), are handed to the audio thread whole, so no other thread writes a field the
// evaluation reads.
#include <cmath>

#include "engine/kernels/kernel_object.h"
#include "engine/kernels/shared_sources.h"
#include "engine/kernels/vco.h"
#include "engine/voice_tables.h"
#include "params/param_convert.h"
#include "plugin/param_routing.h"
#include "plugin/quorvane_vst.h"

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

// Gain and target set directly, no ramp; off when the gain is 0. Audio thread.
void setGainAtOnce(PatchInput* input, float gain) {
  if (input == nullptr) return;
  input->gain = gain;
  input->target = gain;
  input->step = 0.0f;
  input->off = std::fabs(gain) < 1e-6f;
}

// Audio thread: the mixer's level of the filter (a = 1) or the amplifier (a = 2) follows
// the knob unless a cord at the insert jack took the signal out of the mixer; the insert
// row always keeps the knob's level.
void applyMixerLevel(PatchVoice& voice, const EngineCommand& command) {
  const bool filter = command.a == 1;
  const bool patched = (filter ? voice.insert1Patched : voice.insert2Patched) != 0;
  if (!patched) voice.rampTo(voice.normalRows[filter ? row::kMixerFromVcf : row::kMixerFromVca], command.value);
  voice.rampTo(voice.normalRows[filter ? row::kInsert1FromVcf : row::kInsert2FromVca], command.value);
}

// Audio thread: the shared keyboard LFO starts its cycle again.
void applyLfoPhaseReset(PatchVoice&, const EngineCommand& command) {
  qv::commandObject<qv::LfoModule>(command).core.phase = 0.0f;
}

// The jack codes of the VCOs' keyboard-CV jacks.
constexpr int32_t kVcoKeyboardJacks[3] = {fourCharKey("plg5"), fourCharKey("plg8"), fourCharKey("pl13")};
// The coarse and fine parameters of each VCO.
constexpr int kVcoCoarseParams[3] = {kParamVco1Coarse, kParamVco2Coarse, kParamVco3Coarse};
constexpr int kVcoFineParams[3] = {kParamVco1Fine, kParamVco2Fine, kParamVco3Fine};

}  // namespace

void Quorvane_VST::applyEnvelopeGateRows(PatchVoice& voice, const EngineCommand& command) {
  const Quorvane_VST& plugin = qv::commandObject<Quorvane_VST>(command);
  const bool fromKeyboard = plugin.settings.keyboardGatesEnvelopes.load(kRelaxed) != 0;
  const int32_t mode = plugin.settings.keyboardRepeatMode.load(kRelaxed);
  const bool lfoRepeats = fromKeyboard && (mode == 2 || (mode == 0 && plugin.anyKeyHeld()));
  if (command.a != 0) {
    setGainAtOnce(voice.normalRows[row::kEnvelopeGateFromKeyboard], fromKeyboard ? 1.0f : 0.0f);
    setGainAtOnce(voice.normalRows[row::kEnvelopeGateFromClock], fromKeyboard ? 0.0f : 1.0f);
  }
  setGainAtOnce(voice.normalRows[row::kEnvelopeGateFromLfo], lfoRepeats ? 1.0f : 0.0f);
}

// The envelope gate's sources follow the stored settings when the audio thread takes the
// change up, so the newest gate source and repeat mode win whichever thread set them.
void Quorvane_VST::routeEnvelopeGateRows(bool withGateSource, int firstVoice, int lastVoice) {
  for (int k = firstVoice; k <= lastVoice; ++k)
    qv::postToAudioThread(engine_.voice(k), this, applyEnvelopeGateRows, 0.0f, withGateSource ? 1 : 0);
}

void Quorvane_VST::routeKeyboardRepeat(int firstVoice, int lastVoice) {
  if (settings.keyboardRepeatMode.load(kRelaxed) == 2) {
    PatchVoice& first = engine_.voice(0);
    if (auto* lfo = qv::kernelObject<qv::LfoModule>(first.keyboardLfo))
      qv::postToAudioThread(first, lfo, applyLfoPhaseReset);
  }
  routeEnvelopeGateRows(false, firstVoice, lastVoice);
}

void Quorvane_VST::routeVcoKeyboard(int vco, float v, int firstVoice, int lastVoice) {
  const int n = vco - 1;
  const int jackParam = paramOfJackIndex(jackIndexOfCode(kVcoKeyboardJacks[n]));
  const bool keyboardOn = v > 0.5f;
  const bool corded = paramValue(jackParam) != 0.0f;
  const float coarse = qv::Vco::coarseFromParameter(paramValue(kVcoCoarseParams[n]));
  const float fine = qv::Vco::fineFromParameter(paramValue(kVcoFineParams[n]));
  for (int k = firstVoice; k <= lastVoice; ++k) {
    PatchVoice& voice = engine_.voice(k);
    qv::Vco* object = vcoObject(n == 0 ? voice.vco1 : (n == 1 ? voice.vco2 : voice.vco3));
    if (object == nullptr) continue;
    PatchInput* row = voice.normalRows[row::kVco1KeyboardCv + n];
    if (keyboardOn) {
      object->setMode(qv::Vco::kModeKeyboard);
      voice.rampTo(row, 1.0f);
    } else {
      object->setMode(qv::Vco::kModeKeyboardOff);
      object->setPhase(0.0f);
      if (!corded) voice.rampTo(row, 0.0f);
    }
    object->setCoarse(coarse);
    object->setFine(fine);
  }
}

void Quorvane_VST::routeMixerRow(int index, float v, int firstVoice, int lastVoice) {
  const int which = index == kParamMixerVcfLevel ? 1 : 2;
  for (int k = firstVoice; k <= lastVoice; ++k)
    qv::postToAudioThread(engine_.voice(k), nullptr, applyMixerLevel, v, which);
}
