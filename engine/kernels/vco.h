#pragma once
// Voltage-controlled oscillator: one phasor drives a sine, a band-limited sawtooth and pulse
// and, on VCO 2, a triangle. Pitch follows one volt per octave from a base of 10 Hz
// (keyboard controlled) or 0.03 Hz (keyboard off); the coarse, fine and pulse-width knobs
// glide through gains the voice ramps, control voltages retune at once.
//
// Threads: the constructor and destructor run at build and teardown. setCoarse, setFine,
// setPulseWidth, setMode, setPhase and reset may be called from any thread: the knobs only
// start a ramp, and the others are handed to the audio thread through the voice's command
// queue (applied at once when called on the audio thread). setSampleRate runs while audio
// processing is off. Everything else is audio thread only and never allocates.

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/kernel_call.h"
#include "engine/minblep_osc.h"
#include "engine/minblep_table.h"
#include "engine/osc_additive.h"
#include "engine/osc_fade.h"
#include "engine/osc_phasor.h"

struct PatchInput;
struct PatchVoice;

namespace qv {

static_assert(std::atomic<float>::is_always_lock_free, "knob values are shared as lock-free words");

// The phasor, the knob gains and the mask of the outputs computed in a sample fill the first
// cache line; the outputs and the sawtooth's ring indexes share the second.
class Vco {
public:
    static constexpr std::int32_t kModeKeyboard = 1;     // base 10 Hz
    static constexpr std::int32_t kModeKeyboardOff = 2;  // base 0.03 Hz
    static constexpr float kKeyboardBase = 10.0f;
    static constexpr float kFreeBase = 0.03f;
    static constexpr float kMaxFrequency = 20000.0f;
    // Lowest frequency: keeps the increment positive and its inverse finite however far
    // the control voltage pulls the pitch down (0.03 Hz x 2^-10.5 is still above it).
    static constexpr float kMinFrequency = 1e-5f;
    // lastPitch marker that makes the next pitch computation run whatever the total.
    static constexpr float kForcePitch = 1000000.0f;

    // Output indexes.
    static constexpr int kOutSine = 1;
    static constexpr int kOutSaw = 2;
    static constexpr int kOutPulse = 4;
    static constexpr int kOutTriangle = 5;
    static constexpr int kOutPulse2 = 6;

    // Outputs 1 .. kOutputSlots have a slot in outs (output i in outs[i - 1]); any other
    // index reads 0. Bit i - 1 of the fresh masks stands for output i.
    static constexpr int kOutputSlots = 6;
    static constexpr std::uint32_t outputBit(int index) { return 1u << (index - 1); }

    // Parameter values (0..1) to the knob voltages the setters take.
    static constexpr float coarseFromParameter(float v) { return v * 10.0f; }
    static constexpr float fineFromParameter(float v) { return v - 0.5f; }

    // kind: which VCO, 1..3 (held to that range; only VCO 2 has the triangle, and VCO 1's
    // pulse width is fixed at 0.5). The two knob gains are connections made on voice, which
    // ramps and frees them. With initialCoarseFine 0 and mode kModeKeyboard (as the graph
    // builds it) the VCO starts at 10 Hz. Build time.
    Vco(int kind, float initialCoarseFine, std::int32_t mode, int sampleRate, PatchVoice& voice);
    ~Vco();
    Vco(const Vco&) = delete;
    Vco& operator=(const Vco&) = delete;

    // --- Any thread ---

    // Coarse and fine frequency knobs in volts (coarseFromParameter, fineFromParameter):
    // the frequency gain glides to coarse + fine. A knob set again to its stored value
    // recomputes the pitch at once with the current mode (the keyboard switch re-sets both
    // after a mode change, so the new base takes effect even under a steady voltage).
    void setCoarse(float volts);
    void setFine(float volts);
    // Pulse-width knob (0..1): the width gain glides to it.
    void setPulseWidth(float value);
    // Keyboard mode, kModeKeyboard or kModeKeyboardOff (any other value reads as keyboard).
    // The new base applies at the next pitch computation. False when the voice's queue was
    // full and nothing was handed over.
    bool setMode(std::int32_t mode);
    // Sets the phase so the next sample lands on it; the saw and pulse queue the edges that
    // jump makes. False when the voice's queue was full.
    bool setPhase(float phase);
    // Restart for a patch application: pending edges dropped, the next sample starts a new
    // cycle. False when the voice's queue was full.
    bool reset();

    // --- Audio thread ---

    // Set-control of the VCO records: the control sum in volts.
    void setPitchCv(float volts);
    // Set-control of the "VCO2 PW" record: the pulse-width control sum in volts, 0.1 of the
    // cycle per volt added to the knob, held within 0.11 .. 0.99.
    void setWidthCv(float volts);
    // Frequency in hertz for every waveform (the pulse width re-clamped to the increment).
    void setFrequency(float hz);
    // Once per sample before any output is read: takes up moved knob gains, advances the
    // phasor, marks every waveform not yet computed.
    void tick();
    // One output by index (1 sine +-5 V, 2 saw and 4, 6 pulse 0..10 V, 5 triangle +-5 V on
    // VCO 2; any other index 0). Each waveform is computed at most once per sample; the
    // later reads of a sample return the stored value.
    float output(int index) {
        if (isFresh(index)) return outs[index - 1];
        return computeOutput(index);
    }
    // Whether outs holds output index's value of this sample.
    bool isFresh(int index) const {
        const std::uint32_t slot = static_cast<std::uint32_t>(index) - 1u;
        return slot < kOutputSlots && (fresh & (1u << slot)) != 0;
    }
    // The waveform of an output not yet computed in this sample, stored in outs and marked
    // fresh (0 for an index without a waveform). Kept out of line, so that a read of a
    // stored output stays a few instructions; the oscillators' ticks are inlined into it.
    [[gnu::noinline, gnu::flatten]] QV_KERNEL_CALL KernelFloat computeOutput(int index);

    // Rate change while audio processing is off: the phasor's rate, the same frequency.
    void setSampleRate(int rate);

    // Audio-thread bodies of setMode, setPhase, reset and the knobs' pitch recomputation.
    void applyPitchRecompute();
    void applyMode(std::int32_t newMode);
    void applyPhase(float phase);
    void applyReset();

    // State (read by tests and diagnostics on the audio thread). What every sample reads
    // comes first, so tick and output touch the object's first cache line or two; the
    // oscillators' rings and what only retunes read come after.
    Phasor phasor;
    // Which outs hold this sample's value: tick clears it, output sets the bits of what it
    // computes.
    std::uint32_t fresh = 0;
    // The gains of widthInput and frequencyInput, which tick reads every sample.
    const float* widthGain = nullptr;
    const float* frequencyGain = nullptr;
    float appliedWidth = 0.5f;
    float appliedCoarseFine = 0.0f;
    float pitchCv = 0.0f;
    // Output i in outs[i - 1]; the two pulse outputs share a value. They open the second
    // cache line, which the sawtooth's ring indexes share.
    alignas(64) float outs[kOutputSlots] = {};
    MinBlepSaw saw;
    MinBlepPulse pulse;
    AdditiveSine sine;
    std::unique_ptr<TriOsc> triangle;  // VCO 2 only
    // Read only when the pitch or the width changes.
    PatchInput* widthInput = nullptr;      // gain: the pulse-width knob (owned by voice)
    PatchInput* frequencyInput = nullptr;  // gain: coarse + fine in volts (owned by voice)
    const MinBlepTable* table;  // process-wide, counted by use
    PatchVoice* voice;
    std::int32_t kind;
    std::int32_t mode = kModeKeyboard;
    float lastPitch = kForcePitch;
    float widthCv = 0.0f;
    float width = 0.5f;
    float frequency = 0.0f;
    std::atomic<float> coarse{0.0f};  // volts as last set; the knob setters, any thread
    std::atomic<float> fine{0.0f};

private:
    // Hands a pitch recomputation (applyPitchRecompute) to the audio thread.
    bool recomputePitch();
};

// The module table's functions of the VCO records (type 1) and of "VCO2 PW" (type 21).
// create: argument = the VCO's number 1..3. Build and teardown for create and destroy;
// setSampleRate while audio is off; the rest on the audio thread.
void* createVco(PatchVoice& voice, int sampleRate, int argument);
void destroyVco(void* dsp);
QV_KERNEL_CALL void setVcoPitchCv(void* dsp, float controlSum);
QV_KERNEL_CALL void setVcoWidthCv(void* dsp, float controlSum);
QV_KERNEL_CALL KernelFloat vcoOutput(void* dsp, int outputIndex);
QV_KERNEL_CALL void tickVco(void* dsp);
void setVcoSampleRate(void* dsp, int sampleRate);

} // namespace qv
