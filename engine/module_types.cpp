// The module table: one row per type code. Kernels are wired in by filling their row's
// functions (create/destroy for the object, then set-control, process, output, tick and
// accumulate as the module has them); a null entry keeps the module harmless: no object,
// audio passed through unprocessed, outputs read as 0.
//
// What each row has (S set-control, P process, O output, T tick, A accumulate, R sample
// rate; records over another record's object have no create/destroy). The kernels' objects
// and their setters for parameter routing and note handling live in engine/kernels/.
//   Vco            S pitch CV, O by index (1 sine, 2 saw, 4 and 6 pulse, 5 triangle), T
//   VcoPulseWidth  S pulse-width CV on VCO 2's object, O zeroOutput
//   Vcf            S cutoff CV, P filter step, T, R
//   Vca, VcaExpl   S linear / exponential CV, P (the same process function on one object)
//   RingModulator  P product, R        RingModulatorInA, RingModulatorInB   P store input, 0
//   Adsr, Ar       S gate, O level, T, R        AdsrTrigger, ArTrigger: nothing
//   EnvelopeFollower, Inverter, SwitchA, SwitchB   P        SwitchC: S, P        Lag: P, R
//   SampleAndHold  S, P        KeyboardCv: S, O, R        KeyboardGate: S, O
//   KeyboardTrigger  O, T (the voice ticks it)
//   Noise, Clock, KeyboardLfo   O, T, R (shared; the block process ticks them)
//   Constant       O (create's argument is the value in volts)        AudioIn  O (shared)
//   Reverb         O (last left output, marks it read), A (adds to the send), R
//   Pan            object only (read by the block process)
#include "engine/module_types.h"

#include <array>

#include "engine/kernels/amp_modules.h"
#include "engine/kernels/audio_input.h"
#include "engine/kernels/electronic_switch.h"
#include "engine/kernels/envelope_module.h"
#include "engine/kernels/keyboard_modules.h"
#include "engine/kernels/pan_control.h"
#include "engine/kernels/reverb_module.h"
#include "engine/kernels/shared_sources.h"
#include "engine/kernels/utility_modules.h"
#include "engine/kernels/vcf_module.h"
#include "engine/kernels/vco.h"

namespace {

constexpr ModuleKernel row(const char* label, bool generator) {
  ModuleKernel k;
  k.label = label;
  k.generator = generator;
  return k;
}

// A row whose functions come from a kernel.
ModuleKernel row(const char* label, bool generator, ModuleKernel functions) {
  functions.label = label;
  functions.generator = generator;
  return functions;
}

std::array<ModuleKernel, kModuleTypeCount> buildTable() {
  std::array<ModuleKernel, kModuleTypeCount> t{};
  auto at = [&t](ModuleType type) -> ModuleKernel& { return t[static_cast<int>(type)]; };

  // Oscillators and the filter (kernels: create, destroy, setControl, output or process, tick).
  ModuleKernel& vco = at(ModuleType::Vco);
  vco = row("VCO", true);
  vco.create = &qv::createVco;
  vco.destroy = &qv::destroyVco;
  vco.setControl = &qv::setVcoPitchCv;
  vco.output = &qv::vcoOutput;
  vco.outputLanes = &outputLanesOf<&qv::vcoOutput>;
  vco.tick = &qv::tickVco;
  vco.tickLanes = &tickLanesOf<&qv::tickVco>;
  vco.setSampleRate = &qv::setVcoSampleRate;
  ModuleKernel& vcoPw = at(ModuleType::VcoPulseWidth);
  vcoPw = row("VCO2 PW", true);
  vcoPw.setControl = &qv::setVcoWidthCv;
  vcoPw.output = &zeroOutput;
  vcoPw.outputLanes = &outputLanesOf<&zeroOutput>;
  at(ModuleType::Vcf) = row("VCF", false, qv::vcfKernel());

  // Envelopes, amplifier, ring modulator, envelope follower, electronic switch.
  at(ModuleType::Adsr) = row("ADSR", true, qv::adsrKernel());
  at(ModuleType::Ar) = row("AR", true, qv::arKernel());
  at(ModuleType::AdsrTrigger) = row("ADSR Trigger", true);
  at(ModuleType::ArTrigger) = row("AR Trigger", true);
  at(ModuleType::Vca) = row("VCA", false, qv::vcaKernel());
  at(ModuleType::VcaExpl) = row("VCA Expl", false, qv::vcaExpKernel());
  at(ModuleType::RingModulator) = row("Ring Modulator", false, qv::ringModulatorKernel());
  at(ModuleType::RingModulatorInA) = row("Ring Modulator In A", false, qv::ringModulatorInAKernel());
  at(ModuleType::RingModulatorInB) = row("Ring Modulator In B", false, qv::ringModulatorInBKernel());
  at(ModuleType::EnvelopeFollower) = row("Envelope Follower", false, qv::envelopeFollowerKernel());
  at(ModuleType::SwitchA) = row("Electronic Switch A", false, qv::switchAKernel());
  at(ModuleType::SwitchB) = row("Electronic Switch B", false, qv::switchBKernel());
  at(ModuleType::SwitchC) = row("Electronic Switch C", false, qv::switchCKernel());

  // Keyboard, clock, LFO, noise and utilities.
  at(ModuleType::KeyboardCv) = row("Keyboard CV", true, qv::keyboardCvKernel());
  at(ModuleType::KeyboardCv).steadyOutput = true;
  at(ModuleType::KeyboardGate) = row("Keyboard Gate", true, qv::keyboardGateKernel());
  at(ModuleType::KeyboardTrigger) = row("Keyboard Trigger", true, qv::keyboardTriggerKernel());
  at(ModuleType::KeyboardLfo) = row("Keyboard LFO", true, qv::keyboardLfoKernel());
  at(ModuleType::Clock) = row("Internal Clock", true, qv::clockKernel());
  at(ModuleType::Noise) = row("Noise Generator", true, qv::noiseKernel());
  at(ModuleType::SampleAndHold) = row("Sample and Hold", false, qv::sampleAndHoldKernel());
  at(ModuleType::Inverter) = row("Inverter", false, qv::inverterKernel());
  at(ModuleType::Lag) = row("Lag Processor", false, qv::lagKernel());
  at(ModuleType::Constant) = row("Constant", true, qv::constantKernel());
  ModuleKernel& audioIn = at(ModuleType::AudioIn);
  audioIn = row("Audio In", true);
  audioIn.create = &qv::createAudioInput;
  audioIn.destroy = &qv::destroyAudioInput;
  audioIn.output = &qv::audioInputOutput;
  ModuleKernel& pan = at(ModuleType::Pan);
  pan = row("Pan Control", false);
  pan.create = &qv::createPanControl;
  pan.destroy = &qv::destroyPanControl;
  at(ModuleType::Reverb) = row("Reverb", true, qv::reverbKernel());

  // Modules whose behaviour is the graph's own.
  at(ModuleType::Output) = row("OUTPUT", false);
  at(ModuleType::Mixer) = row("Mixer", false);
  at(ModuleType::Multiple) = row("Multiple", false);
  at(ModuleType::Insert) = row("Insert", false);

  ModuleKernel& gate = at(ModuleType::EnvelopeGate);
  gate = row("Envelope Gate", true);
  gate.create = &createFloatHolder;
  gate.destroy = &destroyFloatHolder;
  gate.setControl = &storeFloat;
  gate.output = &readFloat;
  gate.outputLanes = &outputLanesOf<&readFloat>;
  gate.outputField = &floatField;

  ModuleKernel& bus = at(ModuleType::InputBus);
  bus = row("Input Bus", false);
  bus.create = &createFloatHolder;
  bus.destroy = &destroyFloatHolder;
  bus.accumulate = &accumulateFloat;
  bus.accumulateLanes = &sumLanesInto<&heldFloat>;
  return t;
}

const std::array<ModuleKernel, kModuleTypeCount>& table() {
  static const std::array<ModuleKernel, kModuleTypeCount> t = buildTable();
  return t;
}

const ModuleKernel kEmptyKernel{};

}  // namespace

const ModuleKernel& moduleKernel(ModuleType type) {
  const int code = static_cast<int>(type);
  if (code < 0 || code >= kModuleTypeCount) return kEmptyKernel;
  return table()[code];
}

bool isModuleTypeUsed(ModuleType type) { return moduleKernel(type).label != nullptr; }

void* createFloatHolder(PatchVoice&, int, int) { return new FloatHolder; }

void* newConstant(float value) { return new FloatHolder{value}; }

void destroyFloatHolder(void* dsp) { delete static_cast<FloatHolder*>(dsp); }

QV_KERNEL_CALL void storeFloat(void* dsp, float value) { static_cast<FloatHolder*>(dsp)->value = value; }

QV_KERNEL_CALL KernelFloat readFloat(void* dsp, int) { return static_cast<FloatHolder*>(dsp)->value; }

const float* floatField(void* dsp, int) { return &static_cast<FloatHolder*>(dsp)->value; }

QV_KERNEL_CALL void accumulateFloat(void* dsp, float value) { static_cast<FloatHolder*>(dsp)->value += value; }

float& heldFloat(void* dsp) { return static_cast<FloatHolder*>(dsp)->value; }

QV_KERNEL_CALL KernelFloat zeroOutput(void*, int) { return 0.0f; }
