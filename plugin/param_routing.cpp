// The routing table: what each parameter's plain value does to the voice contexts, the
// shared modules and the engine. Rules that act on several connections together live in
// param_routing_rules.cpp.
#include "plugin/param_routing.h"

#include <algorithm>

#include "engine/kernels/amp_modules.h"
#include "engine/kernels/audio_input.h"
#include "engine/kernels/envelope_module.h"
#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "engine/kernels/pan_control.h"
#include "engine/kernels/reverb_module.h"
#include "engine/kernels/shared_sources.h"
#include "engine/kernels/utility_modules.h"
#include "engine/kernels/vcf_module.h"
#include "engine/kernels/vco.h"
#include "params/param_convert.h"
#include "plugin/quorvane_vst.h"

CordEnds cordEnds(int index, float plain) {
  if (!isCordParam(index)) return {};
  CordEnds ends;
  ends.own = jackCodeOfIndex(jackIndexOfParam(index));
  if (plain >= 1.0f && plain < kJackCount + 1.0f) {
    const int32_t peer = jackCodeOfIndex(static_cast<int>(plain));
    if (peer != ends.own) ends.peer = peer;
  }
  return ends;
}

qv::Vco* vcoObject(const PatchModule* record) {
  return record != nullptr && record->type == ModuleType::Vco ? static_cast<qv::Vco*>(record->dsp) : nullptr;
}

namespace {

// A parameter that ramps one normalled row of every context to sign x (v + offset).
struct RowRoute {
  int index;
  int row;
  float offset;
  float sign;
};

// Levels whose range starts at 0.01 take 0.01 off, so their lowest position is gain 0.
constexpr float kFromLowest = -0.01f;

constexpr RowRoute kRowRoutes[] = {
    {kParamEnvelopeFollowerLevel, 13, 0.0f, 1.0f},
    {kParamRingMod1Level, 7, 0.0f, 1.0f},
    {kParamRingMod2Level, 8, 0.0f, 1.0f},
    {kParamVco1SampleHoldCv, 49, kFromLowest, 1.0f},
    {kParamVco1AdsrCv, 42, kFromLowest, 1.0f},
    {kParamVco1Vco2Cv, 46, kFromLowest, 1.0f},
    {kParamVco2SampleHoldCv, 50, kFromLowest, 1.0f},
    {kParamVco2AdsrCv, 43, kFromLowest, 1.0f},
    {kParamVco2Vco1Cv, 48, kFromLowest, 1.0f},
    {kParamVco2PwModulation, 51, 0.0f, 1.0f},
    {kParamVco3NoiseCv, 45, kFromLowest, 1.0f},
    {kParamVco3AdsrCv, 44, kFromLowest, 1.0f},
    {kParamVco3Vco2Cv, 47, kFromLowest, 1.0f},
    {kParamVcfRingModLevel, 5, 0.0f, 1.0f},
    {kParamVcfVco1Level, 1, 0.0f, 1.0f},
    {kParamVcfVco2Level, 2, 0.0f, 1.0f},
    {kParamVcfVco3Level, 3, 0.0f, 1.0f},
    {kParamVcfNoiseLevel, 4, 0.0f, 1.0f},
    {kParamVcfAdsrCv, 41, 0.0f, 1.0f},
    {kParamVcfVco2Cv, 36, 0.0f, 1.0f},
    {kParamVcaVcfLevel, 11, 0.0f, 1.0f},
    {kParamVcaRingModLevel, 12, 0.0f, -1.0f},
    {kParamVcaArCv, 53, 0.0f, 1.0f},
    {kParamVcaAdsrCv, 54, 0.0f, 1.0f},
    {kParamVoltageMinus10Level, 29, 0.0f, 1.0f},
    {kParamVoltageKeyboardCvLevel, 30, 0.0f, 1.0f},
    {kParamVoltagePlus10Level, 33, 0.0f, 1.0f},
    {kParamSampleHoldLevel, 6, 0.0f, 1.0f},
    {kParamVibratoDepth, 68, kFromLowest, 1.0f},
    {kParamVibratoDepth, 69, kFromLowest, 1.0f},
    {kParamVcfKeyboard, 37, 0.0f, 1.0f},
    {kParamMasterVolume, 19, 0.0f, 1.0f},
    {kParamMasterVolume, 18, 0.0f, 1.0f},
};

// Ramps every row the parameter drives; false when it drives none.
bool routeRows(PatchVoice& voice, int index, float v) {
  bool routed = false;
  for (const RowRoute& r : kRowRoutes) {
    if (r.index != index) continue;
    voice.rampTo(voice.normalRows[r.row], r.sign * (v + r.offset));
    routed = true;
  }
  return routed;
}

// Both keyboard CVs of a context.
template <typename Fn>
void forKeyboardCvs(PatchVoice& voice, Fn fn) {
  for (PatchModule* record : {voice.keyboardLowerCv, voice.keyboardUpperCv}) {
    if (auto* cv = qv::kernelObject<qv::KeyboardCv>(record)) fn(*cv);
  }
}

float octaveVolts(float v) { return v < -0.1f ? -2.0f : (v < 1.9f ? 0.0f : 2.0f); }

PatchModule* vcoRecord(PatchVoice& voice, int index) {
  switch (index) {
    case kParamVco1Coarse: case kParamVco1Fine: return voice.vco1;
    case kParamVco2Coarse: case kParamVco2Fine: case kParamVco2PulseWidth: return voice.vco2;
    case kParamVco3Coarse: case kParamVco3Fine: case kParamVco3PulseWidth: return voice.vco3;
    default: return nullptr;
  }
}

// The per-voice modules a parameter sets in one context.
void routeVoiceModule(PatchVoice& voice, int index, float v) {
  if (qv::Vco* vco = vcoObject(vcoRecord(voice, index))) {
    if (index == kParamVco1Coarse || index == kParamVco2Coarse || index == kParamVco3Coarse) vco->setCoarse(qv::Vco::coarseFromParameter(v));
    if (index == kParamVco1Fine || index == kParamVco2Fine || index == kParamVco3Fine) vco->setFine(qv::Vco::fineFromParameter(v));
    if (index == kParamVco2PulseWidth || index == kParamVco3PulseWidth) vco->setPulseWidth(v);
    return;
  }
  auto* filter = qv::kernelObject<qv::VcfModule>(voice.vcf1);
  auto* adsr = qv::kernelObject<qv::EnvelopeModule>(voice.adsr1);
  auto* ar = qv::kernelObject<qv::EnvelopeModule>(voice.ar1);
  switch (index) {
    case kParamVcfCoarse: if (filter) filter->setCoarse(v * 10.0f); break;
    case kParamVcfFine: if (filter) filter->setFine(v); break;
    case kParamVcfResonance: if (filter) filter->setResonance(v); break;
    case kParamAdsrAttack: if (adsr) adsr->setAttackTime(v); break;
    case kParamAdsrDecay: if (adsr) adsr->setDecayTime(v); break;
    case kParamAdsrSustain: if (adsr) adsr->setSustainLevel(v); break;
    case kParamAdsrRelease: if (adsr) adsr->setReleaseTime(v); break;
    case kParamArAttack: if (ar) ar->setAttackTime(v); break;
    case kParamArRelease: if (ar) ar->setReleaseTime(v); break;
    case kParamVcaInitialGain:
      if (auto* vca = qv::kernelObject<qv::VcaModule>(voice.vca1)) vca->setInitialGain(v);
      break;
    case kParamLagRate:
      if (auto* lag = qv::kernelObject<qv::LagModule>(voice.lagProcessor)) lag->setRate(v);
      break;
    case kParamRingModMode:
      if (auto* ring = qv::kernelObject<qv::RingModulatorModule>(voice.ringModulator))
        ring->setMode(v <= 0.5f ? 2 : 1);
      break;
    case kParamOctave: forKeyboardCvs(voice, [v](qv::KeyboardCv& cv) { cv.setOctave(octaveVolts(v)); }); break;
    case kParamPortamentoSpeed: forKeyboardCvs(voice, [v](qv::KeyboardCv& cv) { cv.setPortamentoTime(v); }); break;
    case kParamPortamentoSwitch: forKeyboardCvs(voice, [v](qv::KeyboardCv& cv) { cv.setPortamento(v < 0.5f); }); break;
    case kParamPitchBend: forKeyboardCvs(voice, [v](qv::KeyboardCv& cv) { cv.setPitchBend(v); }); break;
    default: break;
  }
}

// The shared modules, reached through context 0. False when the parameter drives none.
bool routeSharedModule(PatchVoice& first, int index, float v) {
  auto* lfo = qv::kernelObject<qv::LfoModule>(first.keyboardLfo);
  auto* noise = qv::kernelObject<qv::NoiseModule>(first.noiseGenerator);
  auto* reverb = qv::kernelObject<qv::ReverbModule>(first.reverb1);
  auto* clock = qv::kernelObject<qv::ClockModule>(first.internalClock1);
  switch (index) {
    case kParamMixerPan:
      if (first.panControl1 != nullptr && first.panControl1->type == ModuleType::Pan)
        static_cast<qv::PanControl*>(first.panControl1->dsp)->setPan(v);
      return true;
    case kParamReverbLeftLevel: if (reverb) reverb->setLeftLevel(v); return true;
    case kParamReverbRightLevel: if (reverb) reverb->setRightLevel(v); return true;
    case kParamNoiseColour: if (noise) noise->setColour(v); return true;
    case kParamNoiseLevel: if (noise) noise->setLevel(v); return true;
    case kParamSampleHoldRate: if (clock) clock->setPeriod(v); return true;
    case kParamLfoRate: if (lfo) lfo->setRate(v); return true;
    case kParamVibratoDelay: if (lfo) lfo->setVibratoDelay(v); return true;
    case kParamPreampGain:
      if (first.audioIn1 != nullptr && first.audioIn1->type == ModuleType::AudioIn)
        static_cast<qv::AudioInput*>(first.audioIn1->dsp)->setPreampGain(v);
      return true;
    case kParamClockSync: if (clock) clock->setSync(static_cast<int>(v) != 0); return true;
    case kParamLfoSync: if (lfo) lfo->setSync(static_cast<int>(v) != 0); return true;
    default: return false;
  }
}

}  // namespace

void Quorvane_VST::routeToEngine(int index, float v, int firstVoice, int lastVoice) {
  if (!isReady()) return;
  if (isCordParam(index)) {
    const CordEnds ends = cordEnds(index, v);
    engine_.requestCord(static_cast<std::uint32_t>(ends.own), static_cast<std::uint32_t>(ends.peer));
    return;
  }
  firstVoice = std::clamp(firstVoice, 0, kMaxExtraVoices);
  lastVoice = std::clamp(lastVoice, 0, kMaxExtraVoices);
  if (routeSharedModule(engine_.voice(0), index, v)) return;
  switch (index) {
    case kParamEnvelopeGateSource: routeEnvelopeGateRows(true, firstVoice, lastVoice); return;
    case kParamKeyboardRepeat: routeKeyboardRepeat(firstVoice, lastVoice); return;
    case kParamVco1Keyboard: routeVcoKeyboard(1, v, firstVoice, lastVoice); return;
    case kParamVco2Keyboard: routeVcoKeyboard(2, v, firstVoice, lastVoice); return;
    case kParamVco3Keyboard: routeVcoKeyboard(3, v, firstVoice, lastVoice); return;
    case kParamMixerVcfLevel: case kParamMixerVcaLevel: routeMixerRow(index, v, firstVoice, lastVoice); return;
    default: break;
  }
  for (int k = firstVoice; k <= lastVoice; ++k) {
    PatchVoice& voice = engine_.voice(k);
    if (!routeRows(voice, index, v)) routeVoiceModule(voice, index, v);
  }
}
