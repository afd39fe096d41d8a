#include "engine/kernels/electronic_switch.h"

namespace qv {

float ElectronicSwitch::processA(float x) {
    if (route == kRouteTwoToOne) {
        inputA = x;
        return 0.0f;
    }
    if (route == kRouteOneToTwo) return control > 0.5f ? single : 0.0f;
    return 0.0f;
}

float ElectronicSwitch::processB(float x) {
    if (route == kRouteTwoToOne) {
        inputB = x;
        return 0.0f;
    }
    if (route == kRouteOneToTwo) return control < 0.5f ? single : 0.0f;
    return 0.0f;
}

float ElectronicSwitch::processC(float x) {
    if (route == kRouteTwoToOne) return control > 0.5f ? inputA : inputB;
    if (route == kRouteOneToTwo) single = x;
    return 0.0f;
}

namespace {

ElectronicSwitch& of(void* dsp) { return *static_cast<ElectronicSwitch*>(dsp); }

void* create(PatchVoice&, int, int) { return new ElectronicSwitch; }
void destroy(void* dsp) { delete &of(dsp); }
QV_KERNEL_CALL KernelFloat processA(void* dsp, float x) { return of(dsp).processA(x); }
QV_KERNEL_CALL KernelFloat processB(void* dsp, float x) { return of(dsp).processB(x); }
QV_KERNEL_CALL KernelFloat processC(void* dsp, float x) { return of(dsp).processC(x); }
QV_KERNEL_CALL void storeControl(void* dsp, float v) { of(dsp).control = v; }

} // namespace

ModuleKernel switchAKernel() {
    return ModuleKernel{.create = &create, .destroy = &destroy, .process = &processA};
}

ModuleKernel switchBKernel() {
    return ModuleKernel{.process = &processB};
}

ModuleKernel switchCKernel() {
    return ModuleKernel{.setControl = &storeControl, .process = &processC};
}

} // namespace qv
