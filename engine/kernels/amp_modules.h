#pragma once
// Module objects of the amplifier ("VCA 1", type 3, with its exponential-CV record "VCA 1
// Expl", type 36, over the same object), the ring modulator (type 5, with its input records
// 37 and 38 over the same object) and the envelope follower (type 18).

#include "engine/kernels/ring_modulator.h"
#include "engine/kernels/vca.h"
#include "engine/module_types.h"

struct PatchInput;
struct PatchVoice;

namespace qv {

struct VcaModule {
    static bool serves(ModuleType type) { return type == ModuleType::Vca || type == ModuleType::VcaExpl; }

    // The graph builds it with initial gain 0.
    VcaModule(PatchVoice& voice, float initialGain);

    Vca core;
    PatchVoice& voice;
    PatchInput* gainInput = nullptr;  // ramped gain: the initial gain
    const float* gain = nullptr;      // its gain, which every sample reads

    // "VCA Initial Gain", any thread: the gain glides to the value.
    void setInitialGain(float gain);
};

struct RingModulatorModule {
    static bool serves(ModuleType type) {
        return type == ModuleType::RingModulator || type == ModuleType::RingModulatorInA ||
               type == ModuleType::RingModulatorInB;
    }

    // The graph builds it in mode 1 (DC-blocked).
    RingModulatorModule(PatchVoice& voice, std::int32_t mode, int sampleRate);

    RingModulator core;
    PatchVoice& voice;

    // Any thread: 1 blocks DC on both inputs, any other value gives the plain product; the
    // blocker state restarts. Runs on the audio thread. False when the queue was full.
    bool setMode(std::int32_t mode);
};

// The module-table functions.
ModuleKernel vcaKernel();               // type 3: linear CV, process
ModuleKernel vcaExpKernel();            // type 36: exponential CV, the same process
ModuleKernel ringModulatorKernel();     // type 5
ModuleKernel ringModulatorInAKernel();  // type 37
ModuleKernel ringModulatorInBKernel();  // type 38
ModuleKernel envelopeFollowerKernel();  // type 18

} // namespace qv
