#pragma once
// Shared audio input ("Audio In 1", "Audio In 2"): the host input sample of this frame times
// the preamp gain.

#include <atomic>

#include "engine/kernel_call.h"

struct PatchVoice;

namespace qv {

struct AudioInput {
    float sample = 0.0f;                   // stored by the block process before the voices run
    std::atomic<float> preampGain{1.0f};   // "Preamp Gain"; written by the parameter thread

    // Audio thread, once per frame, before the voices run.
    void takeSample(float x) { sample = x; }
    // "Preamp Gain". Any thread.
    void setPreampGain(float gain) { preampGain.store(gain, std::memory_order_relaxed); }
    // preampGain x sample. Audio thread.
    float output() const { return preampGain.load(std::memory_order_relaxed) * sample; }
};

// Module-table functions (generator; output only).
void* createAudioInput(PatchVoice& voice, int sampleRate, int argument);
void destroyAudioInput(void* dsp);
QV_KERNEL_CALL KernelFloat audioInputOutput(void* dsp, int outputIndex);

} // namespace qv
