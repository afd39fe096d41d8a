#include "engine/kernels/amp_modules.h"

#include "engine/kernels/envelope_follower.h"
#include "engine/kernels/kernel_object.h"

namespace qv {

VcaModule::VcaModule(PatchVoice& owner, float initialGain)
    : voice(owner), gainInput(owner.newInput(initialGain, 0)), gain(&gainInput->gain) {}

void VcaModule::setInitialGain(float gain) { voice.rampTo(gainInput, gain); }

RingModulatorModule::RingModulatorModule(PatchVoice& owner, std::int32_t mode, int sampleRate)
    : core(mode, sampleRate), voice(owner) {}

bool RingModulatorModule::setMode(std::int32_t mode) {
    return postToAudioThread(
        voice, this,
        [](PatchVoice&, const EngineCommand& c) { commandObject<RingModulatorModule>(c).core.setMode(c.a); }, 0.0f,
        mode);
}

namespace {

VcaModule& vca(void* dsp) { return *static_cast<VcaModule*>(dsp); }
RingModulator& ring(void* dsp) { return static_cast<RingModulatorModule*>(dsp)->core; }

void* createVca(PatchVoice& voice, int, int) { return new VcaModule(voice, 0.0f); }
void destroyVca(void* dsp) { delete &vca(dsp); }
QV_KERNEL_CALL void linearCv(void* dsp, float volts) { vcaLinearCv(vca(dsp).core, volts); }
QV_KERNEL_CALL void expCv(void* dsp, float volts) { vcaExpCv(vca(dsp).core, volts); }
QV_KERNEL_CALL KernelFloat amplify(void* dsp, float x) { return vcaProcess(vca(dsp).core, x, *vca(dsp).gain); }

void* createRing(PatchVoice& voice, int sampleRate, int) {
    return new RingModulatorModule(voice, RingModulator::kModeDcBlocked, sampleRate);
}
void destroyRing(void* dsp) { delete static_cast<RingModulatorModule*>(dsp); }
QV_KERNEL_CALL KernelFloat modulate(void* dsp, float) { return ring(dsp).process(); }
QV_KERNEL_CALL KernelFloat storeA(void* dsp, float x) {
    ring(dsp).setInputA(x);
    return 0.0f;
}
QV_KERNEL_CALL KernelFloat storeB(void* dsp, float x) {
    ring(dsp).setInputB(x);
    return 0.0f;
}
void ringSampleRate(void* dsp, int rate) { ring(dsp).setSampleRate(rate); }

void* createFollower(PatchVoice&, int, int) { return new EnvelopeFollower; }
void destroyFollower(void* dsp) { delete static_cast<EnvelopeFollower*>(dsp); }
QV_KERNEL_CALL KernelFloat follow(void* dsp, float x) { return static_cast<EnvelopeFollower*>(dsp)->process(x); }

} // namespace

ModuleKernel vcaKernel() {
    return ModuleKernel{.create = &createVca,
                        .destroy = &destroyVca,
                        .setControl = &linearCv,
                        .process = &amplify,
                        .processLanes = &processLanesOf<&amplify>};
}

ModuleKernel vcaExpKernel() {
    return ModuleKernel{.setControl = &expCv, .process = &amplify, .processLanes = &processLanesOf<&amplify>};
}

ModuleKernel ringModulatorKernel() {
    return ModuleKernel{
        .create = &createRing, .destroy = &destroyRing, .process = &modulate, .setSampleRate = &ringSampleRate};
}

ModuleKernel ringModulatorInAKernel() { return ModuleKernel{.process = &storeA}; }
ModuleKernel ringModulatorInBKernel() { return ModuleKernel{.process = &storeB}; }

ModuleKernel envelopeFollowerKernel() {
    return ModuleKernel{.create = &createFollower, .destroy = &destroyFollower, .process = &follow};
}

} // namespace qv
