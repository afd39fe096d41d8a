#pragma once
// Module objects of the per-voice utilities: sample-and-hold ("Sample and Hold", type 10),
// lag processor ("Lag Processor", type 24) and inverter ("Inverter 1", "Inverter 2", type 22,
// no object), and the shared constant voltages (type 23, made by newConstant).

#include "engine/kernels/lag.h"
#include "engine/module_types.h"

struct PatchVoice;

namespace qv {

struct LagModule {
    static bool serves(ModuleType type) { return type == ModuleType::Lag; }

    LagModule(PatchVoice& voice, int sampleRate) : core(sampleRate), voice(voice) {}

    LagProcessor core;
    PatchVoice& voice;

    // Lag rate in hertz, any thread; runs on the audio thread. False when the queue was full.
    bool setRate(float hertz);
};

// The inverter's process: -x, and 0 for a zero, denormal, infinite or NaN x. Pure.
QV_KERNEL_CALL KernelFloat invert(void* dsp, float x);

// The module-table functions of types 10, 24, 22 and 23. The constant's create takes its
// value in volts as the module argument (10, -10 or 0).
ModuleKernel sampleAndHoldKernel();
ModuleKernel lagKernel();
ModuleKernel inverterKernel();
ModuleKernel constantKernel();

} // namespace qv
