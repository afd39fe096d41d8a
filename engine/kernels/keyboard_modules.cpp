#include "engine/kernels/keyboard_modules.h"

#include "engine/kernels/kernel_object.h"

namespace qv {

KeyboardCv::KeyboardCv(PatchVoice& owner, int rate)
    : voice(owner), noteInput(owner.newInput(0.0f, 0)), pitchBendInput(owner.newInput(0.0f, 0)),
      noteGain(&noteInput->gain), pitchBendGain(&pitchBendInput->gain), sampleRate(rate) {}

void KeyboardCv::setPitchBend(float volts) { voice.rampTo(pitchBendInput, volts); }

bool KeyboardCv::setNote(float volts) {
    return postToAudioThread(
        voice, this, [](PatchVoice&, const EngineCommand& c) { commandObject<KeyboardCv>(c).applyNote(c.value); },
        volts);
}

void KeyboardCv::applyNote(float volts) {
    const float target = volts - 1.0f;
    const float distance = target - noteInput->gain;
    if (portamento.load(std::memory_order_relaxed)) {
        float samples = static_cast<float>(sampleRate) * portamentoTime.load(std::memory_order_relaxed) + 1.0f;
        if (!(samples >= 1.0f)) samples = 1.0f;  // a negative or NaN time glides in one sample
        voice.rampWithStep(noteInput, target, distance / samples);
    } else {
        // A step of twice the distance passes the target at the next ramp step, which then
        // lands exactly on it.
        voice.rampWithStep(noteInput, target, 2.0f * distance);
    }
}

float KeyboardCv::output() const {
    return *noteGain + octave.load(std::memory_order_relaxed) + *pitchBendGain + controlSum;
}

bool KeyboardGate::setGate(bool on) {
    return postToAudioThread(
        voice, this,
        [](PatchVoice&, const EngineCommand& c) {
            KeyboardGate& g = commandObject<KeyboardGate>(c);
            g.gate = c.a;
            g.level = c.a != 0 ? 10.0f : 0.0f;
        },
        0.0f, on ? 1 : 0);
}

void KeyboardGate::setControl(float volts) {
    const int edge = ring.feed(volts);
    if (edge < 0) cvLevel = 0.0f;
    if (edge > 0) cvLevel = 10.0f;
}

bool KeyboardTrigger::fire() {
    return postToAudioThread(voice, this,
                             [](PatchVoice&, const EngineCommand& c) { commandObject<KeyboardTrigger>(c).pending = 15.0f; });
}

namespace {

KeyboardCv& cv(void* dsp) { return *static_cast<KeyboardCv*>(dsp); }
KeyboardGate& gate(void* dsp) { return *static_cast<KeyboardGate*>(dsp); }
KeyboardTrigger& trigger(void* dsp) { return *static_cast<KeyboardTrigger*>(dsp); }

void* createCv(PatchVoice& voice, int sampleRate, int) { return new KeyboardCv(voice, sampleRate); }
void destroyCv(void* dsp) { delete &cv(dsp); }
QV_KERNEL_CALL void storeCvControl(void* dsp, float v) { cv(dsp).controlSum = v; }
QV_KERNEL_CALL KernelFloat cvOutput(void* dsp, int) { return cv(dsp).output(); }
void cvSampleRate(void* dsp, int rate) { cv(dsp).sampleRate = rate; }

void* createGate(PatchVoice& voice, int, int) { return new KeyboardGate(voice); }
void destroyGate(void* dsp) { delete &gate(dsp); }
QV_KERNEL_CALL void gateControl(void* dsp, float v) { gate(dsp).setControl(v); }
QV_KERNEL_CALL KernelFloat gateOutput(void* dsp, int) { return gate(dsp).output(); }

void* createTrigger(PatchVoice& voice, int, int) { return new KeyboardTrigger(voice); }
void destroyTrigger(void* dsp) { delete &trigger(dsp); }
QV_KERNEL_CALL KernelFloat triggerOutput(void* dsp, int) { return trigger(dsp).output; }
const float* triggerField(void* dsp, int) { return &trigger(dsp).output; }
QV_KERNEL_CALL void triggerTick(void* dsp) { trigger(dsp).tick(); }

} // namespace

ModuleKernel keyboardCvKernel() {
    return ModuleKernel{
        .create = &createCv,
        .destroy = &destroyCv,
        .setControl = &storeCvControl,
        .output = &cvOutput,
        .setSampleRate = &cvSampleRate,
        .outputLanes = &outputLanesOf<&cvOutput>};
}

ModuleKernel keyboardGateKernel() {
    return ModuleKernel{
        .create = &createGate,
        .destroy = &destroyGate,
        .setControl = &gateControl,
        .output = &gateOutput,
        .outputLanes = &outputLanesOf<&gateOutput>};
}

ModuleKernel keyboardTriggerKernel() {
    return ModuleKernel{
        .create = &createTrigger,
        .destroy = &destroyTrigger,
        .output = &triggerOutput,
        .tick = &triggerTick,
        .tickLanes = &tickLanesOf<&triggerTick>,
        .outputField = &triggerField};
}

} // namespace qv
