#pragma once
// ADSR and AR envelope generators: exponential segments towards 10 V (attack), the sustain
// level (decay) and 1e-5 V (release), triggered by 5 V edges of the gate control sum.

#include <cstdint>

#include "engine/kernels/gate_edge.h"

namespace qv {

struct Envelope {
    static constexpr std::int32_t kTypeAdsr = 6;
    static constexpr std::int32_t kTypeAr = 8;
    static constexpr std::int32_t kStageAttack = 0;
    static constexpr std::int32_t kStageRelease = 1;
    static constexpr std::int32_t kStageIdle = 2;

    float attackTime = 0.0f;   // seconds
    float sustain = 0.0f;      // volts
    float decayTime = 0.0f;    // seconds
    float releaseTime = 0.0f;  // seconds
    float attackCoef = 0.0f, decayCoef = 0.0f, releaseCoef = 0.0f;
    float attackStep = 0.0f, decayStep = 0.0f, releaseStep = 0.0f;
    float level = 0.0f;        // the output, volts
    std::int32_t attacking = 0;
    std::int32_t type = kTypeAdsr;
    std::int32_t stage = kStageIdle;
    GateEdgeRing gateRing;     // the last 32 control sums
    std::int32_t sampleRate = 44100;

    // The graph builds the ADSR with (6, 0.01, 0.5, 7.0, 0.2) and the AR with (8, 0.01, 0.5, 10.0, 0.2).
    Envelope(std::int32_t type, float attack, float decay, float sustain, float release, int sampleRate);

    // Parameter setters; audio thread (reached through the engine's hand-over).
    void setAttack(float seconds);
    void setDecay(float seconds);
    void setSustain(float volts);
    void setRelease(float seconds);
    void setSampleRate(int rate);

    // Set-control: the gate control sum. A change of more than 5 V against the oldest of the
    // last 32 sums starts the attack (rising) or the release (falling).
    void gate(float volts);
    void startAttack();
    void startRelease();
    // Note handlers: an ADSR in its attack or decay rises again from its current level.
    void trigger();
    // Once per sample, before the voice is evaluated; audio thread.
    void tick();
    float output() const { return level; }

    // Shortest segment the coefficients allow: below it the level would not converge.
    static constexpr float kMinimumSamples = 4.0f;
};

} // namespace qv
