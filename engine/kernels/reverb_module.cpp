#include "engine/kernels/reverb_module.h"

#include <cmath>

#include "engine/kernels/kernel_object.h"
#include "engine/sanitize.h"

namespace qv {

ReverbModule::ReverbModule(PatchVoice& owner, int sampleRate)
    : core(0.5f, 0.5f, 1.0f / 3.0f, 0.0f, 1.0f, sampleRate), voice(owner), leftLevelInput(owner.newInput(0.0f, 0)),
      rightLevelInput(owner.newInput(0.0f, 0)) {}

void ReverbModule::setLeftLevel(float knob) { voice.rampTo(leftLevelInput, reverbLevelTarget(knob)); }

void ReverbModule::setRightLevel(float knob) { voice.rampTo(rightLevelInput, reverbLevelTarget(knob)); }

bool ReverbModule::mute() {
    return postToAudioThread(voice, this,
                             [](PatchVoice&, const EngineCommand& c) { commandObject<ReverbModule>(c).core.mute(); });
}

void ReverbModule::run() {
    float left = send;
    float right = 0.0f;
    processReverb(core.model, left, right);
    // An output that ran away (or is not a number) is cleared and the reverberator reset.
    if (!(std::fabs(left) <= kModuleValueLimit)) {
        left = 0.0f;
        core.mute();
    }
    if (!(std::fabs(right) <= kModuleValueLimit)) {
        right = 0.0f;
        core.mute();
    }
    lastLeft = left;
    lastRight = right;
    send = 0.0f;
    read = false;
}

float ReverbModule::leftLevel() const { return leftLevelInput->gain; }

float ReverbModule::rightLevel() const { return rightLevelInput->gain; }

namespace {

ReverbModule& of(void* dsp) { return *static_cast<ReverbModule*>(dsp); }

void* create(PatchVoice& voice, int sampleRate, int) { return new ReverbModule(voice, sampleRate); }
void destroy(void* dsp) { delete &of(dsp); }
QV_KERNEL_CALL KernelFloat output(void* dsp, int) {
    ReverbModule& m = of(dsp);
    m.read = true;
    return m.lastLeft;
}
QV_KERNEL_CALL void accumulate(void* dsp, float value) { of(dsp).send += value; }
float& sendOf(void* dsp) { return of(dsp).send; }
void setSampleRate(void* dsp, int rate) { of(dsp).core.setSampleRate(rate); }

} // namespace

ModuleKernel reverbKernel() {
    return ModuleKernel{
        .create = &create,
        .destroy = &destroy,
        .output = &output,
        .accumulate = &accumulate,
        .setSampleRate = &setSampleRate,
        .accumulateLanes = &sumLanesInto<&sendOf>};
}

} // namespace qv
