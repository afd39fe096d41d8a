#pragma once
// Four-pole low-pass filter: two cascaded state-variable stages with soft-saturating
// integrators, run at twice the sample rate. Cutoff 10 Hz x 2^volts, at most 10240 Hz.

#include <cstddef>
#include <cstdint>

#include "engine/kernels/engine_random.h"

namespace qv {

// One-pole level follower kept by the filter for its damping compensation. It runs at its own
// fixed rate of 44100 Hz whatever the engine's rate.
struct VcfLevelFollower {
    float attackCoef = 0.0f;
    float releaseCoef = 0.0f;
    float level = 0.0f;
    float sampleRate = 44100.0f;

    // Time in ms, limited to 0 .. 1000; 0 gives coefficient 0.
    void setAttack(float ms);
    void setRelease(float ms);
    // level = (1 - w) x |x| + w x level, w the attack coefficient when |x| is above the level.
    void process(float x);
};

// The filter of one voice. Its module object (VcfModule) holds the two ramped knob gains
// (coarse + fine in volts, resonance 0..1) and passes their current values to tick().
// All members run on the audio thread; parameter changes arrive through the engine's hand-over.
struct Vcf {
    // What each sample's step reads and writes comes first, in groups of four floats: the
    // step of four filters at once moves a group of each filter with one load or store.
    alignas(16) float low1 = 0.0f;
    float band1 = 0.0f, low2 = 0.0f, band2 = 0.0f;
    float g = 0.0f;                 // integrator coefficient of both stages
    float inputGain = 0.0f;
    float baseDamping = 0.0f;
    float compensation = -0.11f;
    float damping = 0.0f;           // first stage damping
    float stage2Out[2] = {0.0f, 0.0f};
    float cachedOutput = 0.0f;
    VcfLevelFollower follower;
    std::uint8_t computed = 0;
    std::int32_t oversampling = 2;
    float omega = 0.0f;             // pi / (sampleRate x oversampling)
    float sampleRate = 0.0f;
    float coarse = 0.0f;            // volts, as last set
    float fine = 0.0f;              // volts, as last set
    float followerInput = 0.0f;
    float appliedCoarseFine = 0.0f; // frequency gain last applied
    float appliedResonance = 0.0f;  // resonance gain last applied
    float cutoffCv = 0.0f;          // last control-input sum (volts)
    float lastCutoff = 0.0f;        // total cutoff voltage g was computed for
    // Set by clear() and reset(): the next tick() re-applies the frequency and resonance gains
    // whatever they were before, so a restart never leaves the filter at 10 Hz or resonance 0.
    bool settingsStale = true;

    explicit Vcf(int sampleRate);

    // Set-control: the sum of the control inputs (volts). Recomputes g only when the total
    // cutoff voltage moved by more than 1e-5 V.
    void setCutoffCv(float volts);
    // Resonance knob value 0..1 to damping and input gain.
    void applyResonance(float r);
    // Store the knob (volts) and return the target the graph ramps the frequency gain to.
    float setCoarse(float volts);
    float setFine(float volts);
    // Once per sample before the filter is evaluated; gains are the current ramped values.
    void tick(float coarseFineGain, float resonanceGain);
    // Process: the sum of the audio inputs (volts). One computation per sample; later calls
    // in the same sample return the same value. Draws one dither value from random.
    float process(float x, EngineRandom& random);
    // Sample-rate change (not on the audio thread while it runs): omega and g recomputed.
    void setSampleRate(int rate);
    // Runaway restart: coefficient for 10 Hz, resonance 0, state cleared.
    void clear();
    // Patch application: as clear(), keeping the last control sum for the re-application.
    void reset();
    // What clear() and reset() share: resonance 0, filter and follower state cleared, and
    // the cutoff and resonance marked for re-application on the next tick.
    void clearState();

    // g for a total cutoff voltage a: 2 sin(pi fc / (2 sampleRate)) by its third-order series.
    float cutoffCoefficient(float a) const;
};

static_assert(offsetof(Vcf, band2) == offsetof(Vcf, low1) + 12 && offsetof(Vcf, g) == offsetof(Vcf, low1) + 16 &&
                  offsetof(Vcf, compensation) == offsetof(Vcf, g) + 12 &&
                  offsetof(Vcf, damping) == offsetof(Vcf, g) + 16 && offsetof(Vcf, cachedOutput) == offsetof(Vcf, damping) + 12,
              "the step's groups of four floats lie side by side");

} // namespace qv
