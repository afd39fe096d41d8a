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
    {2, 13, 0.0f, 1.0f},          {3, 7, 0.0f, 1.0f},           {4, 8, 0.0f, 1.0f},
    {7, 49, kFromLowest, 1.0f},   {8, 42, kFromLowest, 1.0f},   {9, 46, kFromLowest, 1.0f},
    {13, 50, kFromLowest, 1.0f},  {14, 43, kFromLowest, 1.0f},  {15, 48, kFromLowest, 1.0f},
    {16, 51, 0.0f, 1.0f},         {20, 45, kFromLowest, 1.0f},  {21, 44, kFromLowest, 1.0f},
    {22, 47, kFromLowest, 1.0f},  {26, 5, 0.0f, 1.0f},          {27, 1, 0.0f, 1.0f},
    {28, 2, 0.0f, 1.0f},          {29, 3, 0.0f, 1.0f},          {30, 4, 0.0f, 1.0f},
    {31, 41, 0.0f, 1.0f},         {32, 36, 0.0f, 1.0f},         {41, 11, 0.0f, 1.0f},
    {42, 12, 0.0f, -1.0f},        {43, 53, 0.0f, 1.0f},         {44, 54, 0.0f, 1.0f},
    {52, 29, 0.0f, 1.0f},         {53, 30, 0.0f, 1.0f},         {54, 33, 0.0f, 1.0f},
    {56, 6, 0.0f, 1.0f},          {67, 68, kFromLowest, 1.0f},  {67, 69, kFromLowest, 1.0f},
    {72, 37, 0.0f, 1.0f},         {75, 19, 0.0f, 1.0f},         {75, 18, 0.0f, 1.0f},
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
    case 5: case 6: return voice.vco1;
    case 10: case 11: case 12: return voice.vco2;
    case 17: case 18: case 19: return voice.vco3;
    default: return nullptr;
  }
}

// The per-voice modules a parameter sets in one context.
void routeVoiceModule(PatchVoice& voice, int index, float v) {
  if (qv::Vco* vco = vcoObject(vcoRecord(voice, index))) {
    if (index == 5 || index == 10 || index == 17) vco->setCoarse(qv::Vco::coarseFromParameter(v));
    if (index == 6 || index == 11 || index == 18) vco->setFine(qv::Vco::fineFromParameter(v));
    if (index == 12 || index == 19) vco->setPulseWidth(v);
    return;
  }
  auto* filter = qv::kernelObject<qv::VcfModule>(voice.vcf1);
  auto* adsr = qv::kernelObject<qv::EnvelopeModule>(voice.adsr1);
  auto* ar = qv::kernelObject<qv::EnvelopeModule>(voice.ar1);
  switch (index) {
    case 23: if (filter) filter->setCoarse(v * 10.0f); break;
    case 24: if (filter) filter->setFine(v); break;
    case 25: if (filter) filter->setResonance(v); break;
    case 33: if (adsr) adsr->setAttackTime(v); break;
    case 34: if (adsr) adsr->setDecayTime(v); break;
    case 35: if (adsr) adsr->setSustainLevel(v); break;
    case 36: if (adsr) adsr->setReleaseTime(v); break;
    case 37: if (ar) ar->setAttackTime(v); break;
    case 39: if (ar) ar->setReleaseTime(v); break;
    case 40:
      if (auto* vca = qv::kernelObject<qv::VcaModule>(voice.vca1)) vca->setInitialGain(v);
      break;
    case 55:
      if (auto* lag = qv::kernelObject<qv::LagModule>(voice.lagProcessor)) lag->setRate(v);
      break;
    case 61:
      if (auto* ring = qv::kernelObject<qv::RingModulatorModule>(voice.ringModulator))
        ring->setMode(v <= 0.5f ? 2 : 1);
      break;
    case 64: forKeyboardCvs(voice, [v](qv::KeyboardCv& cv) { cv.setOctave(octaveVolts(v)); }); break;
    case 68: forKeyboardCvs(voice, [v](qv::KeyboardCv& cv) { cv.setPortamentoTime(v); }); break;
    case 69: forKeyboardCvs(voice, [v](qv::KeyboardCv& cv) { cv.setPortamento(v < 0.5f); }); break;
    case 71: forKeyboardCvs(voice, [v](qv::KeyboardCv& cv) { cv.setPitchBend(v); }); break;
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
    case 45:
      if (first.panControl1 != nullptr && first.panControl1->type == ModuleType::Pan)
        static_cast<qv::PanControl*>(first.panControl1->dsp)->setPan(v);
      return true;
    case 48: if (reverb) reverb->setLeftLevel(v); return true;
    case 49: if (reverb) reverb->setRightLevel(v); return true;
    case 50: if (noise) noise->setColour(v); return true;
    case 51: if (noise) noise->setLevel(v); return true;
    case 57: if (clock) clock->setPeriod(v); return true;
    case 65: if (lfo) lfo->setRate(v); return true;
    case 66: if (lfo) lfo->setVibratoDelay(v); return true;
    case 70:
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
