#include "engine/kernels/utility_modules.h"

#include "engine/kernels/kernel_object.h"
#include "engine/kernels/sample_hold.h"
#include "engine/kernels/kernel_constants.h"

namespace qv {

bool LagModule::setRate(float hertz) {
    return postToAudioThread(
        voice, this, [](PatchVoice&, const EngineCommand& c) { commandObject<LagModule>(c).core.setRate(c.value); },
        hertz);
}

QV_KERNEL_CALL KernelFloat invert(void*, float x) { return -flushNonNormal(x); }

namespace {

SampleAndHold& hold(void* dsp) { return *static_cast<SampleAndHold*>(dsp); }
LagProcessor& lag(void* dsp) { return static_cast<LagModule*>(dsp)->core; }

void* createHold(PatchVoice&, int, int) { return new SampleAndHold; }
void destroyHold(void* dsp) { delete &hold(dsp); }
QV_KERNEL_CALL void holdControl(void* dsp, float v) { hold(dsp).setControl(v); }
QV_KERNEL_CALL KernelFloat holdProcess(void* dsp, float x) { return hold(dsp).process(x); }

void* createLag(PatchVoice& voice, int sampleRate, int) { return new LagModule(voice, sampleRate); }
void destroyLag(void* dsp) { delete static_cast<LagModule*>(dsp); }
QV_KERNEL_CALL KernelFloat lagProcess(void* dsp, float x) { return lag(dsp).process(x); }
void lagSampleRate(void* dsp, int rate) { lag(dsp).setSampleRate(rate); }

void* createConstant(PatchVoice&, int, int volts) { return newConstant(static_cast<float>(volts)); }

} // namespace

ModuleKernel sampleAndHoldKernel() {
    return ModuleKernel{
        .create = &createHold,
        .destroy = &destroyHold,
        .setControl = &holdControl,
        .process = &holdProcess};
}

ModuleKernel lagKernel() {
    return ModuleKernel{
        .create = &createLag,
        .destroy = &destroyLag,
        .process = &lagProcess,
        .setSampleRate = &lagSampleRate};
}

ModuleKernel inverterKernel() {
    return ModuleKernel{.process = &invert};
}

ModuleKernel constantKernel() {
    return ModuleKernel{.create = &createConstant, .destroy = &destroyFloatHolder, .output = &readFloat,
                        .outputLanes = &outputLanesOf<&readFloat>, .outputField = &floatField};
}

} // namespace qv
