#include "engine/kernels/shared_sources.h"

#include "engine/kernels/kernel_object.h"

namespace qv {

NoiseModule::NoiseModule(PatchVoice& owner, int sampleRate)
    : core(sampleRate), voice(owner), levelInput(owner.newInput(0.0f, 0)), colourInput(owner.newInput(0.0f, 0)) {}

void NoiseModule::setLevel(float knob) { voice.rampTo(levelInput, knob); }

void NoiseModule::setColour(float knob) { voice.rampTo(colourInput, knob); }

float NoiseModule::output() { return core.output(levelInput->gain, colourInput->gain, *random); }

bool ClockModule::setPeriod(float seconds) {
    return postToAudioThread(
        voice, this, [](PatchVoice&, const EngineCommand& c) { commandObject<ClockModule>(c).core.setPeriod(c.value); },
        seconds);
}

bool LfoModule::setRate(float hertz) {
    return postToAudioThread(
        voice, this, [](PatchVoice&, const EngineCommand& c) { commandObject<LfoModule>(c).core.setRate(c.value); },
        hertz);
}

bool LfoModule::setVibratoDelay(float seconds) {
    return postToAudioThread(
        voice, this,
        [](PatchVoice&, const EngineCommand& c) { commandObject<LfoModule>(c).core.setVibratoDelay(c.value); },
        seconds);
}

bool LfoModule::setGate(bool on) {
    return postToAudioThread(
        voice, this, [](PatchVoice&, const EngineCommand& c) { commandObject<LfoModule>(c).core.setGate(c.a); }, 0.0f,
        on ? 1 : 0);
}

namespace {

NoiseModule& noise(void* dsp) { return *static_cast<NoiseModule*>(dsp); }
ClockModule& clock(void* dsp) { return *static_cast<ClockModule*>(dsp); }
LfoModule& lfo(void* dsp) { return *static_cast<LfoModule*>(dsp); }

void* createNoise(PatchVoice& voice, int sampleRate, int) { return new NoiseModule(voice, sampleRate); }
void destroyNoise(void* dsp) { delete &noise(dsp); }
QV_KERNEL_CALL KernelFloat noiseOutput(void* dsp, int) { return noise(dsp).output(); }
QV_KERNEL_CALL void noiseTick(void* dsp) { noise(dsp).core.newSample(); }
void noiseSampleRate(void* dsp, int rate) { noise(dsp).core.setSampleRate(rate); }

void* createClock(PatchVoice& voice, int sampleRate, int) { return new ClockModule(voice, sampleRate); }
void destroyClock(void* dsp) { delete &clock(dsp); }
QV_KERNEL_CALL KernelFloat clockOutput(void* dsp, int) { return clock(dsp).output(); }
QV_KERNEL_CALL void clockTick(void* dsp) { clock(dsp).core.tick(); }
void clockSampleRate(void* dsp, int rate) { clock(dsp).core.setSampleRate(rate); }

void* createLfo(PatchVoice& voice, int sampleRate, int) { return new LfoModule(voice, sampleRate); }
void destroyLfo(void* dsp) { delete &lfo(dsp); }
QV_KERNEL_CALL KernelFloat lfoOutput(void* dsp, int index) { return lfo(dsp).output(index); }
QV_KERNEL_CALL void lfoTick(void* dsp) { lfo(dsp).core.tick(); }
void lfoSampleRate(void* dsp, int rate) { lfo(dsp).core.setSampleRate(rate); }

} // namespace

ModuleKernel noiseKernel() {
    return ModuleKernel{.create = &createNoise,
                        .destroy = &destroyNoise,
                        .output = &noiseOutput,
                        .tick = &noiseTick,
                        .setSampleRate = &noiseSampleRate};
}

ModuleKernel clockKernel() {
    return ModuleKernel{.create = &createClock,
                        .destroy = &destroyClock,
                        .output = &clockOutput,
                        .tick = &clockTick,
                        .setSampleRate = &clockSampleRate};
}

ModuleKernel keyboardLfoKernel() {
    return ModuleKernel{.create = &createLfo,
                        .destroy = &destroyLfo,
                        .output = &lfoOutput,
                        .tick = &lfoTick,
                        .setSampleRate = &lfoSampleRate};
}


} // namespace qv
