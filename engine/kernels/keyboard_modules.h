#pragma once
// The keyboard's module objects: the note voltage with glide, octave and pitch bend
// ("Keyboard Lower CV", "Keyboard Upper CV", type 20), the gate ("Keyboard Gate", type 25)
// and the one-sample trigger ("Keyboard Trigger", type 26). MIDI note handling and the
// on-panel keyboard drive them through setNote, setGate and fire.

#include <atomic>
#include <cstdint>

#include "engine/kernels/gate_edge.h"
#include "engine/module_types.h"

struct PatchInput;
struct PatchVoice;

namespace qv {

struct KeyboardCv {
    static bool serves(ModuleType type) { return type == ModuleType::KeyboardCv; }

    KeyboardCv(PatchVoice& voice, int sampleRate);

    PatchVoice& voice;
    PatchInput* noteInput = nullptr;       // ramped gain: the note voltage (with glide)
    PatchInput* pitchBendInput = nullptr;  // ramped gain: the pitch bend, volts
    // Their gains, read each time the output is (several times a sample).
    const float* noteGain = nullptr;
    const float* pitchBendGain = nullptr;
    std::atomic<float> octave{0.0f};       // -2, 0 or +2 volts
    std::atomic<bool> portamento{false};
    std::atomic<float> portamentoTime{0.0f};  // seconds
    float controlSum = 0.0f;               // the vibrato through the control inputs
    std::int32_t sampleRate = 44100;

    // Parameter routing, any thread: single values read at the next note or sample.
    void setOctave(float volts) { octave.store(volts, std::memory_order_relaxed); }
    void setPortamento(bool on) { portamento.store(on, std::memory_order_relaxed); }
    void setPortamentoTime(float seconds) { portamentoTime.store(seconds, std::memory_order_relaxed); }
    // Pitch bend in volts, any thread: the bend glides to it.
    void setPitchBend(float volts);
    // Note handling, any thread: the note voltage (from the note table) minus 1 V becomes the
    // note gain; with portamento on it glides there over sampleRate x time + 1 samples in
    // equal steps, else it jumps. Runs on the audio thread. False when the queue was full.
    bool setNote(float volts);
    // Audio thread: what setNote runs there.
    void applyNote(float volts);
    // The module's output: note + octave + pitch bend + control sum.
    float output() const;
};

struct KeyboardGate {
    static bool serves(ModuleType type) { return type == ModuleType::KeyboardGate; }

    explicit KeyboardGate(PatchVoice& voice) : voice(voice) {}

    PatchVoice& voice;
    float level = 0.0f;    // 10 V while the note gate is set, else 0
    std::int32_t gate = 0;
    float cvLevel = 0.0f;  // 10 V after a rising edge of the control sum, 0 after a falling one
    GateEdgeRing ring;

    // Note handling, any thread: the note gate on or off. Runs on the audio thread.
    bool setGate(bool on);
    // Set-control, audio thread: edges of more than 5 V in the control sum set cvLevel.
    void setControl(float volts);
    // 10 V while the note gate is set, else cvLevel.
    float output() const { return gate != 0 ? 10.0f : cvLevel; }
};

struct KeyboardTrigger {
    static bool serves(ModuleType type) { return type == ModuleType::KeyboardTrigger; }

    explicit KeyboardTrigger(PatchVoice& voice) : voice(voice) {}

    PatchVoice& voice;
    float pending = 0.0f;
    float output = 0.0f;

    // Note handling, any thread: the next sample outputs 15 V once (two fires before a tick
    // still give one sample). Runs on the audio thread.
    bool fire();
    // Once per sample from the voice's per-sample step: the pending value becomes the output.
    void tick() {
        output = pending;
        pending = 0.0f;
    }
};

// The module-table functions of types 20, 25 and 26.
ModuleKernel keyboardCvKernel();
ModuleKernel keyboardGateKernel();
ModuleKernel keyboardTriggerKernel();

} // namespace qv
