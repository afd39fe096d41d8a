#pragma once
// Module objects of the shared sources, one each per plug-in: the noise generator ("Noise
// Generator", type 9), the internal clock ("Interal Clock 1", type 14) and the keyboard LFO
// ("Keyboard LFO", type 27). The block process ticks each once per sample; every voice reads
// them through its own record. Changes from other threads go through the voice that built
// them (voice context 0, which always runs).

#include <atomic>
#include <cstdint>

#include "engine/kernels/engine_random.h"
#include "engine/kernels/internal_clock.h"
#include "engine/kernels/keyboard_lfo.h"
#include "engine/kernels/noise.h"
#include "engine/module_types.h"

struct PatchInput;
struct PatchVoice;

namespace qv {

struct NoiseModule {
    static bool serves(ModuleType type) { return type == ModuleType::Noise; }

    NoiseModule(PatchVoice& voice, int sampleRate);

    NoiseGenerator core;
    PatchVoice& voice;
    PatchInput* levelInput = nullptr;   // ramped gain: the level knob
    PatchInput* colourInput = nullptr;  // ramped gain: the colour knob (0 white, 1 red)
    EngineRandom ownRandom;             // the noise's generator until useRandom
    EngineRandom* random = &ownRandom;

    // Parameter routing, any thread: the gains glide to the knob values.
    void setLevel(float knob);
    void setColour(float knob);
    // Build time: draw from the engine instance's generator (shared with the filters' dither).
    void useRandom(EngineRandom& engineRandom) { random = &engineRandom; }
    // Output function: one draw in a sample, however many reads.
    float output();
};

struct ClockModule {
    static bool serves(ModuleType type) { return type == ModuleType::Clock; }

    ClockModule(PatchVoice& voice, int sampleRate) : core(sampleRate), voice(voice) {}

    InternalClock core;
    PatchVoice& voice;
    std::atomic<bool> synced{false};  // clock sync on: output the synced level

    // "Sample and Hold Rate" (seconds), any thread; runs on the audio thread.
    bool setPeriod(float seconds);
    // Parameter routing, any thread: clock sync on or off.
    void setSync(bool on) { synced.store(on, std::memory_order_relaxed); }
    // The block process (audio thread), once per block: the level output while clock sync
    // is on (10 V or 0 V from the host's musical position).
    void setSyncLevel(float level) { core.setSyncedLevel(level); }
    float output() const { return synced.load(std::memory_order_relaxed) ? core.syncedOutput() : core.output(); }
};

struct LfoModule {
    static bool serves(ModuleType type) { return type == ModuleType::KeyboardLfo; }

    LfoModule(PatchVoice& voice, int sampleRate) : core(sampleRate), voice(voice) {}

    KeyboardLfo core;
    PatchVoice& voice;
    std::atomic<bool> synced{false};  // LFO sync on: outputs follow the synced phase

    // Parameter routing, any thread; each runs on the audio thread. False when the queue
    // was full.
    bool setRate(float hertz);
    bool setVibratoDelay(float seconds);
    // Note handling, any thread: a gate change restarts the vibrato delay.
    bool setGate(bool on);
    // Parameter routing, any thread: LFO sync on or off.
    void setSync(bool on) { synced.store(on, std::memory_order_relaxed); }
    // The block process (audio thread), once per block: the phase in periods from the host's
    // musical position.
    void setSyncedPhase(double periods) { core.setSyncedPhase(periods); }
    // By index: 1 sine, 4 square, 5 triangle, free-running or synced.
    float output(std::int32_t index) {
        return synced.load(std::memory_order_relaxed) ? core.syncedOutput(index) : core.output(index);
    }
};

// The module-table functions of types 9, 14 and 27 (output and tick; the tick is the block
// process's to call).
ModuleKernel noiseKernel();
ModuleKernel clockKernel();
ModuleKernel keyboardLfoKernel();

} // namespace qv
