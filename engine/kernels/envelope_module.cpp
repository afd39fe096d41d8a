#include "engine/kernels/envelope_module.h"

#include "engine/kernels/kernel_object.h"

namespace qv {

EnvelopeModule::EnvelopeModule(PatchVoice& owner, std::int32_t type, int sampleRate)
    : core(type, 0.01f, 0.5f, type == Envelope::kTypeAr ? 10.0f : 7.0f, 0.2f, sampleRate), voice(owner) {}

namespace {

Envelope& coreOf(const EngineCommand& c) { return commandObject<EnvelopeModule>(c).core; }

} // namespace

bool EnvelopeModule::setAttackTime(float seconds) {
    return postToAudioThread(voice, this, [](PatchVoice&, const EngineCommand& c) { coreOf(c).setAttack(c.value); },
                             seconds);
}

bool EnvelopeModule::setDecayTime(float seconds) {
    return postToAudioThread(voice, this, [](PatchVoice&, const EngineCommand& c) { coreOf(c).setDecay(c.value); },
                             seconds);
}

bool EnvelopeModule::setSustainLevel(float volts) {
    return postToAudioThread(voice, this, [](PatchVoice&, const EngineCommand& c) { coreOf(c).setSustain(c.value); },
                             volts);
}

bool EnvelopeModule::setReleaseTime(float seconds) {
    return postToAudioThread(voice, this, [](PatchVoice&, const EngineCommand& c) { coreOf(c).setRelease(c.value); },
                             seconds);
}

bool EnvelopeModule::startAttack() {
    return postToAudioThread(voice, this, [](PatchVoice&, const EngineCommand& c) { coreOf(c).startAttack(); });
}

bool EnvelopeModule::startRelease() {
    return postToAudioThread(voice, this, [](PatchVoice&, const EngineCommand& c) { coreOf(c).startRelease(); });
}

bool EnvelopeModule::trigger() {
    return postToAudioThread(voice, this, [](PatchVoice&, const EngineCommand& c) { coreOf(c).trigger(); });
}

namespace {

Envelope& of(void* dsp) { return static_cast<EnvelopeModule*>(dsp)->core; }

void* createAdsr(PatchVoice& voice, int sampleRate, int) {
    return new EnvelopeModule(voice, Envelope::kTypeAdsr, sampleRate);
}
void* createAr(PatchVoice& voice, int sampleRate, int) { return new EnvelopeModule(voice, Envelope::kTypeAr, sampleRate); }
void destroy(void* dsp) { delete static_cast<EnvelopeModule*>(dsp); }
QV_KERNEL_CALL void gate(void* dsp, float volts) { of(dsp).gate(volts); }
QV_KERNEL_CALL KernelFloat level(void* dsp, int) { return of(dsp).output(); }
const float* levelField(void* dsp, int) { return &of(dsp).level; }
QV_KERNEL_CALL void tick(void* dsp) { of(dsp).tick(); }
void setSampleRate(void* dsp, int rate) { of(dsp).setSampleRate(rate); }

ModuleKernel envelopeKernel(ModuleCreateFn create) {
    return ModuleKernel{
        .create = create,
        .destroy = &destroy,
        .setControl = &gate,
        .output = &level,
        .tick = &tick,
        .setSampleRate = &setSampleRate,
        .outputLanes = &outputLanesOf<&level>,
        .tickLanes = &tickLanesOf<&tick>,
        .outputField = &levelField};
}

} // namespace

ModuleKernel adsrKernel() { return envelopeKernel(&createAdsr); }
ModuleKernel arKernel() { return envelopeKernel(&createAr); }

} // namespace qv
