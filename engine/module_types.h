// Module type codes and the per-type function table through which the voice context drives
// every module's DSP object. A module is a plain record (PatchModule) over an opaque DSP
// object; the evaluation reaches the object only through the functions below.
//
// Timing contract of every function here: called on the audio thread only (create and
// destroy excepted), once per use described below, never allocating, locking or waiting.
#pragma once

#include <cstdint>

#include "engine/kernel_call.h"
#include "engine/lane_vectors.h"

struct PatchVoice;

enum class ModuleType : std::int32_t {
  None = 0,
  Vco = 1,                // "VCO 1", "VCO 2", "VCO 3"
  Vcf = 2,                // "VCF 1"
  Vca = 3,                // "VCA 1"
  RingModulator = 5,      // "Ring Modulator"
  Adsr = 6,               // "ADSR 1"
  Ar = 8,                 // "AR 1"
  Noise = 9,              // "Noise Generator" (shared)
  SampleAndHold = 10,     // "Sample and Hold"
  Output = 12,            // "OUTPUT": its first audio input is the voice's output
  Mixer = 13,             // "Mixer 1": sum of its audio inputs
  Clock = 14,             // "Interal Clock 1" (shared)
  AudioIn = 15,           // "Audio In 1", "Audio In 2" (shared)
  Pan = 17,               // "Pan Control 1" (shared)
  EnvelopeFollower = 18,  // "Envelope Follower 1"
  Reverb = 19,            // "Reverb 1" (shared)
  KeyboardCv = 20,        // "Keyboard Lower CV", "Keyboard Upper CV"
  VcoPulseWidth = 21,     // "VCO2 PW" (record over VCO 2's object)
  Inverter = 22,          // "Inverter 1", "Inverter 2"
  Constant = 23,          // "Plus 10 Volts", "Minus 10 Volts", "Zero 0 Volts" (shared)
  Lag = 24,               // "Lag Processor"
  KeyboardGate = 25,      // "Keyboard Gate"
  KeyboardTrigger = 26,   // "Keyboard Trigger"
  KeyboardLfo = 27,       // "Keyboard LFO" (shared object, one record per voice)
  AdsrTrigger = 28,       // "ADSR Trigger1" (record over ADSR 1's object, never read)
  ArTrigger = 29,         // "AR Trigger 1" (record over AR 1's object, never read)
  EnvelopeGate = 30,      // "Envelope Gate": stores its control sum, outputs it
  InputBus = 31,          // "Left Input", "Right Input" (shared accumulating buses)
  Multiple = 32,          // "Multiple 1": sum of its audio inputs
  SwitchA = 33,           // "Electronic Switch 1", jack pl50
  SwitchB = 34,           // "Electronic Switch 1", jack pl52 (same object as switch A)
  SwitchC = 35,           // "Electronic Switch 1", jack pl51 (same object as switch A)
  VcaExpl = 36,           // "VCA 1 Expl" (record over VCA 1's object)
  RingModulatorInA = 37,  // "Ring Modulator In A" (record over the ring modulator's object)
  RingModulatorInB = 38,  // "Ring Modulator In B" (record over the ring modulator's object)
  Insert = 39,            // "Insert 1", "Insert2": sum of their audio inputs
};

// Type codes run 0..kModuleTypeCount-1; codes 4, 7, 11 and 16 are unused.
inline constexpr int kModuleTypeCount = 40;

// Creates the DSP object of a module. voice: the building voice, whose ramp list moves any
// gain the object embeds (embedded connections are made with voice.newInput). sampleRate:
// the engine rate in hertz. argument: module-specific (the VCO's number 1..3, a constant's
// value in volts, else 0).
// Build time only (not the audio thread); may allocate.
using ModuleCreateFn = void* (*)(PatchVoice& voice, int sampleRate, int argument);

// Frees an object made by the same type's create. Teardown only, after audio has stopped.
// Connections the object embeds belong to the voice that made them (voice.newInput) and
// may already be freed: the destroy function must not touch them.
using ModuleDestroyFn = void (*)(void* dsp);

// Receives the sum of the module's control inputs. Audio thread, during evaluation, only
// when that sum moved by more than 1e-6 since the last call.
using ModuleSetControlFn = void (QV_KERNEL_CALL *)(void* dsp, float controlSum);

// Turns the sum of the module's audio inputs (plus its own output value, if it has an
// output function) into the module's value for this sample. Audio thread, at most once per
// module per sample, after set-control.
using ModuleProcessFn = KernelFloat (QV_KERNEL_CALL *)(void* dsp, float audioSum);

// Reads one output of the module (the connection's output index). Audio thread, any number
// of times per sample, before the module's control inputs are summed; must be cheap after
// the first read in a sample.
using ModuleOutputFn = KernelFloat (QV_KERNEL_CALL *)(void* dsp, int outputIndex);

// Advances the object by one sample before anything of the sample is read. Audio thread,
// once per sample, from prepareVoiceSample (per-voice modules) or the block process
// (shared modules).
using ModuleTickFn = void (QV_KERNEL_CALL *)(void* dsp);

// Adds a voice's contribution to an accumulator the block process reads (the reverb send,
// the left and right input buses). Audio thread, from processVoiceSample.
using ModuleAccumulateFn = void (QV_KERNEL_CALL *)(void* dsp, float value);

// Recomputes every coefficient the object derives from the sample rate (whole hertz, at
// least 1). Called when the engine's rate changes, while audio processing is off.
using ModuleSetSampleRateFn = void (*)(void* dsp, int sampleRate);

// A call made between the first voice's work and the others' in a call for several voices.
struct LaneCall {
  ModuleOutputFn output = nullptr;
  void* dsp = nullptr;
  int outputIndex = 0;
};

// Optional: the process function of one module for several voices at once, as calling
// value[l] = process(dsps[l], audio[l]) for l = 0 .. count-1 in turn, bit for bit, with
// `between` (when not null) called right after voice 0's. audio holds and value has room
// for laneWidth(count) floats (engine/lane_vectors.h); the pad lanes receive 0. Audio thread.
using ModuleProcessLanesFn = void (QV_KERNEL_CALL *)(void* const* dsps, const float* audio, float* value,
                                                     int count, const LaneCall* between);

// Optional: the output function of one module for several voices at once, as calling
// values[l] = output(dsps[l], outputIndex) for l = 0 .. count-1 in turn; values as value
// above. Audio thread.
using ModuleOutputLanesFn = void (QV_KERNEL_CALL *)(void* const* dsps, int outputIndex, float* values, int count);

// Optional: the accumulate function of one module for several voices at once, as calling
// accumulate(dsps[l], values[l]) for l = 0 .. count-1 in turn. Audio thread.
using ModuleAccumulateLanesFn = void (QV_KERNEL_CALL *)(void* const* dsps, const float* values, int count);

// Optional, with an output function that only returns one float of the object: the address
// of that float for the output index (fixed while the object lives), so a reader can load
// it instead of calling. Audio thread.
using ModuleOutputFieldFn = const float* (*)(void* dsp, int outputIndex);

// Optional: the tick function of one module for several voices at once, as calling
// tick(dsps[l]) for l = 0 .. count-1 in turn. Audio thread.
using ModuleTickLanesFn = void (QV_KERNEL_CALL *)(void* const* dsps, int count);

// The lanes functions of a module whose single-voice function is kOutput, kProcess or kTick: one call
// through the table for all voices, the voice's own function inlined voice after voice.
// (Compiled for every voice count, such a function has dozens of call sites of the voice's
// function, more than the compiler inlines unasked.)
#define QV_LANES_FLATTEN __attribute__((flatten))
template <ModuleOutputFn kOutput>
QV_KERNEL_CALL QV_LANES_FLATTEN void outputLanesOf(void* const* dsps, int outputIndex, float* values, int count) {
  storeLaneGroups(values, count, [&](int l) QV_LANE_INLINE -> float { return kOutput(dsps[l], outputIndex); });
}
template <ModuleAccumulateFn kAccumulate>
QV_KERNEL_CALL QV_LANES_FLATTEN void accumulateLanesOf(void* const* dsps, const float* values, int count) {
  for (int l = 0; l < count; ++l) kAccumulate(dsps[l], values[l]);
}
// The accumulate lanes of a module whose accumulate adds the value to one float of its
// object (the reverb send, an input bus): while consecutive voices share the object, their
// values are added in lane order to that float in a register and stored once, instead of
// each add waiting for the previous one's store.
template <float& (*kTarget)(void*)>
QV_KERNEL_CALL void sumLanesInto(void* const* dsps, const float* values, int count) {
  for (int l = 0; l < count;) {
    void* const dsp = dsps[l];
    float sum = kTarget(dsp);
    for (; l < count && dsps[l] == dsp; ++l) sum += values[l];
    kTarget(dsp) = sum;
  }
}
template <ModuleTickFn kTick>
QV_KERNEL_CALL QV_LANES_FLATTEN void tickLanesOf(void* const* dsps, int count) {
  for (int l = 0; l < count; ++l) kTick(dsps[l]);
}
template <ModuleProcessFn kProcess>
QV_KERNEL_CALL QV_LANES_FLATTEN void processLanesOf(void* const* dsps, const float* audio, float* value, int count,
                                                    const LaneCall* between) {
  storeLaneGroups(value, count, [&](int l) QV_LANE_INLINE {
    const float v = kProcess(dsps[l], audio[l]);
    if (l == 0 && between != nullptr) between->output(between->dsp, between->outputIndex);
    return v;
  });
}

// One row of the module table. A null function means the module has no such function:
// no set-control call, audio passes unprocessed, output reads 0, no tick.
struct ModuleKernel {
  const char* label = nullptr;  // for messages and tests; null marks an unused code
  ModuleCreateFn create = nullptr;
  ModuleDestroyFn destroy = nullptr;
  ModuleSetControlFn setControl = nullptr;
  ModuleProcessFn process = nullptr;
  ModuleOutputFn output = nullptr;
  ModuleTickFn tick = nullptr;
  ModuleAccumulateFn accumulate = nullptr;
  ModuleSetSampleRateFn setSampleRate = nullptr;
  bool generator = false;  // its live output is read even while it is being evaluated
  // Its output depends only on what changes between samples or in its own set-control and
  // process calls: once such a module was evaluated in a sample without either, every
  // later read of that sample gives what it gave (its memo).
  bool steadyOutput = false;
  ModuleProcessLanesFn processLanes = nullptr;  // with process, where one is faster
  ModuleOutputLanesFn outputLanes = nullptr;    // with output, where one is faster
  ModuleTickLanesFn tickLanes = nullptr;        // with tick, where one is faster
  ModuleAccumulateLanesFn accumulateLanes = nullptr;  // with accumulate, where one is faster
  ModuleOutputFieldFn outputField = nullptr;  // with an output that reads one float of the object
};

// The row for a type code; codes outside 0..39 give the empty row. Any thread.
const ModuleKernel& moduleKernel(ModuleType type);

// True for the codes in use. Any thread.
bool isModuleTypeUsed(ModuleType type);

// Graph-owned bodies, also usable by kernels and tests.
// A one-float holder: the Envelope Gate's stored control sum, an input bus's accumulator.
struct FloatHolder {
  float value = 0.0f;
};
void* createFloatHolder(PatchVoice& voice, int sampleRate, int argument);
void destroyFloatHolder(void* dsp);
// A constant voltage (the Plus 10 Volts, Minus 10 Volts and Zero 0 Volts objects): a holder
// with the value, read by readFloat, freed by destroyFloatHolder. Build time.
void* newConstant(float value);
QV_KERNEL_CALL void storeFloat(void* dsp, float value);              // set-control: value := control sum
QV_KERNEL_CALL KernelFloat readFloat(void* dsp, int outputIndex);   // output: the stored value
const float* floatField(void* dsp, int outputIndex);                // output field: where readFloat reads
QV_KERNEL_CALL void accumulateFloat(void* dsp, float value);        // accumulate: value += contribution
float& heldFloat(void* dsp);                                        // the stored value itself
QV_KERNEL_CALL KernelFloat zeroOutput(void* dsp, int outputIndex);  // an output that is always 0
