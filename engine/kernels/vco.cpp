#include "engine/kernels/vco.h"

#include <algorithm>
#include <cmath>

#include "engine/engine_command.h"
#include "engine/patch_voice.h"
#include "engine/sanitize.h"

namespace qv {
namespace {

constexpr float kStartFrequency = 80.0f;
constexpr float kStartWidth = 0.5f;
constexpr float kMinWidth = 0.11f;
constexpr float kMaxWidth = 0.99f;
constexpr float kWidthPerVolt = 0.1f;

// The phasor at the given rate, set for the start frequency with its phase one increment
// before 0, before any oscillator is built on it.
Phasor startPhasor(int rate) {
    Phasor p;
    p.init(static_cast<float>(std::max(rate, 1)));
    p.setFrequency(kStartFrequency);
    p.setPhase(0.0f);
    return p;
}

// Hands an audio-thread body to the voice; runs it at once on the audio thread.
bool post(Vco& vco, EngineApplyFn apply, float value, std::int32_t a) {
    EngineCommand command;
    command.kind = EngineCommandKind::Apply;
    command.object = &vco;
    command.value = value;
    command.a = a;
    command.apply = apply;
    return vco.voice->postCommand(command);
}

Vco& target(const EngineCommand& command) { return *static_cast<Vco*>(command.object); }

} // namespace

Vco::Vco(int vcoKind, float initialCoarseFine, std::int32_t initialMode, int sampleRate, PatchVoice& owner)
    : phasor(startPhasor(sampleRate)),
      saw(&phasor, acquireMinBlepTable()),
      pulse(&phasor, saw.table),
      sine(&phasor),
      table(saw.table),
      voice(&owner),
      kind(std::clamp(vcoKind, 1, 3)) {
    pulse.setWidth(pulse.width);
    if (kind == 2) {
        triangle = std::make_unique<TriOsc>(&phasor, table);
        triangle->setFrequency(kStartFrequency);
        triangle->reset(0.0f);
    }
    mode = initialMode == kModeKeyboardOff ? kModeKeyboardOff : kModeKeyboard;
    lastPitch = kForcePitch;
    appliedWidth = kStartWidth;
    widthInput = owner.newInput(kStartWidth, 0);
    widthGain = &widthInput->gain;
    const float coarseFine = flushNonNormal(initialCoarseFine);
    appliedCoarseFine = coarseFine;
    coarse.store(coarseFine, std::memory_order_relaxed);
    frequencyInput = owner.newInput(coarseFine, 0);
    frequencyGain = &frequencyInput->gain;
    fine.store(0.0f, std::memory_order_relaxed);
    pitchCv = 0.0f;
    widthCv = 0.0f;
    width = kStartWidth;
    pulse.setWidth(kStartWidth);
    setPitchCv(0.0f);
}

// The embedded connections belong to the voice, which frees them itself.
Vco::~Vco() { releaseMinBlepTable(); }

// A knob set again to its value moves no gain, so nothing would recompute the pitch; the
// recomputation is then handed over in order behind any mode change posted before it.
void Vco::setCoarse(float volts) {
    const bool unchanged = coarse.exchange(volts, std::memory_order_relaxed) == volts;
    voice->rampTo(frequencyInput, volts + fine.load(std::memory_order_relaxed));
    if (unchanged) recomputePitch();
}

void Vco::setFine(float volts) {
    const bool unchanged = fine.exchange(volts, std::memory_order_relaxed) == volts;
    voice->rampTo(frequencyInput, coarse.load(std::memory_order_relaxed) + volts);
    if (unchanged) recomputePitch();
}

bool Vco::recomputePitch() {
    return post(*this, [](PatchVoice&, const EngineCommand& c) { target(c).applyPitchRecompute(); }, 0.0f, 0);
}

void Vco::setPulseWidth(float value) { voice->rampTo(widthInput, value); }

bool Vco::setMode(std::int32_t newMode) {
    return post(*this, [](PatchVoice&, const EngineCommand& c) { target(c).applyMode(c.a); }, 0.0f, newMode);
}

bool Vco::setPhase(float phase) {
    return post(*this, [](PatchVoice&, const EngineCommand& c) { target(c).applyPhase(c.value); }, phase, 0);
}

bool Vco::reset() {
    return post(*this, [](PatchVoice&, const EngineCommand& c) { target(c).applyReset(); }, 0.0f, 0);
}

void Vco::applyPitchRecompute() {
    lastPitch = kForcePitch;
    setPitchCv(pitchCv);
}

void Vco::applyMode(std::int32_t newMode) {
    lastPitch = kForcePitch;
    mode = newMode == kModeKeyboardOff ? kModeKeyboardOff : kModeKeyboard;
}

// The phase is placed one increment before its target, so the increment must be the one the
// VCO runs at from here: a retune still pending (the keyboard switch posts its mode change
// just before the phase) is made first. Otherwise the placement would depend on the mode
// the VCO ran in before, and loading the same patch would sound different from one history
// to the next.
void Vco::applyPhase(float phase) {
    if (lastPitch == kForcePitch) setPitchCv(pitchCv);
    phasor.setPhase(phase);
    pulse.reset(phase);
    saw.reset(phase);
}

// The phasor is placed first, so the pulse and saw resets read the phase the fresh cycle
// starts from, not the one the previous patch left behind.
void Vco::applyReset() {
    fresh = 0;
    if (triangle) triangle->reset(0.0f);
    phasor.setPhase(0.0f);
    pulse.clearSteps();
    pulse.reset(0.0f);
    saw.clearSteps();
    saw.reset(0.0f);
}

void Vco::setPitchCv(float volts) {
    pitchCv = flushNonNormal(volts);
    const float pitch = pitchCv + appliedCoarseFine;
    if (pitch == lastPitch) return;
    lastPitch = pitch;
    float hz = std::exp2(pitch) * (mode == kModeKeyboardOff ? kFreeBase : kKeyboardBase);
    if (!(hz >= kMinFrequency)) hz = kMinFrequency;  // underflow (or a NaN total)
    if (hz > kMaxFrequency) hz = kMaxFrequency;
    setFrequency(hz);
}

void Vco::setWidthCv(float volts) {
    widthCv = flushNonNormal(volts);
    if (kind == 1) {
        pulse.setWidth(kStartWidth);
        return;
    }
    float w = widthCv * kWidthPerVolt + appliedWidth;
    if (!(w <= kMaxWidth)) w = kMaxWidth;
    if (w < kMinWidth) w = kMinWidth;
    if (w != width) {
        width = w;
        pulse.setWidth(w);
    }
}

void Vco::setFrequency(float hz) {
    frequency = hz;
    phasor.setFrequency(hz);
    pulse.setWidth(pulse.width);
    if (triangle) triangle->setFrequency(hz);
}

void Vco::tick() {
    if (*widthGain != appliedWidth) {
        appliedWidth = *widthGain;
        setWidthCv(widthCv);
    }
    if (*frequencyGain != appliedCoarseFine) {
        appliedCoarseFine = *frequencyGain;
        setPitchCv(pitchCv);
    }
    phasor.advance();
    fresh = 0;
}

QV_KERNEL_CALL KernelFloat Vco::computeOutput(int index) {
    switch (index) {
    case kOutSine:
        fresh |= outputBit(kOutSine);
        return outs[kOutSine - 1] = sine.tick() * 5.0f;
    case kOutSaw:
        fresh |= outputBit(kOutSaw);
        return outs[kOutSaw - 1] = saw.tick() * 10.0f;
    case kOutPulse:
    case kOutPulse2: {
        const float v = pulse.tick() * 10.0f;
        fresh |= outputBit(kOutPulse) | outputBit(kOutPulse2);
        outs[kOutPulse - 1] = v;
        outs[kOutPulse2 - 1] = v;
        return v;
    }
    case kOutTriangle:
        if (!triangle) return 0.0f;
        fresh |= outputBit(kOutTriangle);
        return outs[kOutTriangle - 1] = triangle->tick() * 5.0f;
    default:
        return 0.0f;
    }
}

void Vco::setSampleRate(int rate) {
    if (rate < 1) return;
    phasor.setSampleRate(static_cast<float>(rate));
    setFrequency(frequency);
}

void* createVco(PatchVoice& voice, int sampleRate, int argument) {
    return new Vco(argument, 0.0f, Vco::kModeKeyboard, sampleRate, voice);
}

void destroyVco(void* dsp) { delete static_cast<Vco*>(dsp); }

QV_KERNEL_CALL void setVcoPitchCv(void* dsp, float controlSum) { static_cast<Vco*>(dsp)->setPitchCv(controlSum); }

QV_KERNEL_CALL void setVcoWidthCv(void* dsp, float controlSum) { static_cast<Vco*>(dsp)->setWidthCv(controlSum); }

QV_KERNEL_CALL KernelFloat vcoOutput(void* dsp, int outputIndex) {
    Vco& vco = *static_cast<Vco*>(dsp);
    if (vco.isFresh(outputIndex)) return vco.outs[outputIndex - 1];
    return vco.computeOutput(outputIndex);
}

QV_KERNEL_CALL void tickVco(void* dsp) { static_cast<Vco*>(dsp)->tick(); }

void setVcoSampleRate(void* dsp, int sampleRate) { static_cast<Vco*>(dsp)->setSampleRate(sampleRate); }

} // namespace qv
