#pragma once
// The filter's module object ("VCF 1", type 2): the filter core with its two knob gains held
// as connections of the voice (coarse + fine in volts, resonance 0..1), so every knob move
// glides through the voice's ramps and the core recomputes only when a gain moved.

#include "engine/kernels/engine_random.h"
#include "engine/kernels/vcf.h"
#include "engine/module_types.h"

struct PatchInput;
struct PatchVoice;

namespace qv {

struct VcfModule {
    static bool serves(ModuleType type) { return type == ModuleType::Vcf; }

    VcfModule(PatchVoice& voice, int sampleRate);

    Vcf core;
    PatchVoice& voice;
    PatchInput* frequencyInput = nullptr;  // ramped gain: coarse + fine, volts
    PatchInput* resonanceInput = nullptr;  // ramped gain: resonance knob 0..1
    const float* frequencyGain = nullptr;  // their gains, which every tick reads
    const float* resonanceGain = nullptr;
    EngineRandom ownRandom;                // the dither's generator until useRandom
    EngineRandom* random = &ownRandom;

    // Parameter routing, any thread. Coarse and fine in volts (the parameter value x 10);
    // the frequency gain glides to coarse + fine. Resonance: the knob value 0..1.
    void setCoarse(float volts);
    void setFine(float volts);
    void setResonance(float knob);
    // Patch application, any thread: cutoff and resonance back to 0 and the state cleared,
    // then the knob gains re-applied at the next tick. Runs on the audio thread.
    bool reset();
    // Build time: draw the dither from the engine instance's generator.
    void useRandom(EngineRandom& engineRandom) { random = &engineRandom; }
};

// The module-table functions of type 2.
ModuleKernel vcfKernel();

} // namespace qv
