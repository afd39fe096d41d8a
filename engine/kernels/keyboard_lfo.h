#pragma once
// Shared keyboard LFO: sine (with delayed vibrato fade-in after each gate-on), square and
// triangle, free-running from its own phase or synced to a phase from the host's position.

#include <cstdint>

namespace qv {

struct KeyboardLfo {
    static constexpr std::int32_t kOutputSine = 1;
    static constexpr std::int32_t kOutputSquare = 4;
    static constexpr std::int32_t kOutputTriangle = 5;
    static constexpr std::int32_t kStaleSine = 1;
    static constexpr std::int32_t kStaleSquareTriangle = 2;

    float sampleRate = 44100.0f;
    float vibratoDelay = 0.01f;   // seconds
    float inverseDelay = 100.0f;
    float rate = 1.0f;            // Hz
    float increment = 0.0f;       // rate / sampleRate
    float phase = 0.0f;
    float timeSinceGate = 0.0f;   // seconds
    float sine = 0.0f;
    float square = 0.0f;
    double syncedPhase = 0.0;     // periods; grows without bound, so kept in double
    float triangle = 0.0f;
    std::int32_t gate = 0;
    std::int32_t stale = 0;       // bits: 1 sine, 2 square and triangle
    float inverseSampleRate = 0.0f;
    float timeStep = 0.0f;        // seconds per sample

    explicit KeyboardLfo(int sampleRate);

    // Once per sample on the audio thread: advances the phase and the time since the gate.
    void tick();
    // Note gate; a change restarts the vibrato delay.
    void setGate(std::int32_t flag);
    void setRate(float hertz);
    void setVibratoDelay(float seconds);
    // Recomputes the increment and the time step for the rate.
    void setSampleRate(int rate);
    // Set once per block from the host's musical position while LFO sync is on.
    void setSyncedPhase(double periods) { syncedPhase = periods; }

    // Output functions by index (1 sine, 4 square, 5 triangle; others 0). Each waveform is
    // computed once per sample on its first read.
    float output(std::int32_t index);
    float syncedOutput(std::int32_t index) const;

    // Vibrato depth after the gate: 0 during the delay, a linear fade over the next delay, then 1.
    float vibratoEnvelope() const;
    // A sine value shaped by that envelope.
    float gatedSine(float s) const;
};

} // namespace qv
