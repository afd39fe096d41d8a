#pragma once
// The shared reverb's module object ("Reverb 1", type 19): the reverberator, its send
// accumulator, its last outputs and the two output levels held as ramped connection gains.
// Voices add their send through the row's accumulate function; the block process runs one
// reverb step per sample and scales the outputs by the levels.

#include "engine/kernels/reverb.h"
#include "engine/module_types.h"

struct PatchInput;
struct PatchVoice;

namespace qv {

struct ReverbModule {
    static bool serves(ModuleType type) { return type == ModuleType::Reverb; }

    // Built with room 0.5, damp 0.5, dry 0 and width 1. Allocates the delay lines.
    ReverbModule(PatchVoice& voice, int sampleRate);

    Reverb core;
    PatchVoice& voice;
    PatchInput* leftLevelInput = nullptr;   // ramped gain: the left level
    PatchInput* rightLevelInput = nullptr;  // ramped gain: the right level
    float send = 0.0f;                      // the voices' sends of this sample
    float lastLeft = 0.0f;
    float lastRight = 0.0f;
    bool read = false;                      // a voice read the output in this sample

    // Parameter routing, any thread: the level glides to max(0, knob - 0.001), so the knob's
    // lowest position switches the side off.
    void setLeftLevel(float knob);
    void setRightLevel(float knob);
    // Patch application, any thread: every delay line cleared. Runs on the audio thread.
    bool mute();
    // The block process, audio thread, once per sample after the voices: one reverb step on
    // the accumulated send, which is then cleared; the read mark is cleared too. An output
    // beyond 1000 in magnitude (or not a number) is cleared and resets the reverberator.
    void run();
    float leftLevel() const;
    float rightLevel() const;
};

// The module-table functions of type 19: output (last left output, marks it read),
// accumulate (adds to the send), sample rate (rebuilds the delay lines).
ModuleKernel reverbKernel();

} // namespace qv
