#include "engine/kernels/vcf_module.h"

#include "engine/kernels/kernel_object.h"
#include "engine/kernels/vcf_lanes.h"

namespace qv {

VcfModule::VcfModule(PatchVoice& owner, int sampleRate)
    : core(sampleRate), voice(owner), frequencyInput(owner.newInput(0.0f, 0)),
      resonanceInput(owner.newInput(0.0f, 0)), frequencyGain(&frequencyInput->gain),
      resonanceGain(&resonanceInput->gain) {}

void VcfModule::setCoarse(float volts) { voice.rampTo(frequencyInput, core.setCoarse(volts)); }

void VcfModule::setFine(float volts) { voice.rampTo(frequencyInput, core.setFine(volts)); }

void VcfModule::setResonance(float knob) { voice.rampTo(resonanceInput, knob); }

bool VcfModule::reset() {
    return postToAudioThread(voice, this, [](PatchVoice&, const EngineCommand& c) {
        commandObject<VcfModule>(c).core.reset();
    });
}

namespace {

VcfModule& of(void* dsp) { return *static_cast<VcfModule*>(dsp); }

void* create(PatchVoice& voice, int sampleRate, int) { return new VcfModule(voice, sampleRate); }
void destroy(void* dsp) { delete &of(dsp); }
QV_KERNEL_CALL void setCutoff(void* dsp, float volts) { of(dsp).core.setCutoffCv(volts); }
QV_KERNEL_CALL KernelFloat process(void* dsp, float x) { return of(dsp).core.process(x, *of(dsp).random); }
QV_KERNEL_CALL void tick(void* dsp) {
    VcfModule& m = of(dsp);
    m.core.tick(*m.frequencyGain, *m.resonanceGain);
}
void setSampleRate(void* dsp, int rate) { of(dsp).core.setSampleRate(rate); }

} // namespace

ModuleKernel vcfKernel() {
    return ModuleKernel{
        .create = &create,
        .destroy = &destroy,
        .setControl = &setCutoff,
        .process = &process,
        .tick = &tick,
        .setSampleRate = &setSampleRate,
        .processLanes = &processVcfLanes,
        .tickLanes = &tickLanesOf<&tick>};
}

} // namespace qv
