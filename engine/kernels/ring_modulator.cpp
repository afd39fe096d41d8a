#include "engine/kernels/ring_modulator.h"

#include "engine/kernels/kernel_constants.h"

namespace qv {

RingModulator::RingModulator(std::int32_t initialMode, int rate) : sampleRate(rate) {
    setMode(initialMode);
}

void RingModulator::setMode(std::int32_t newMode) {
    mode = newMode;
    previousA = previousB = 0.0f;
    blockedA = blockedB = 0.0f;
    inputA = inputB = 0.0f;
    setSampleRate(sampleRate);
}

void RingModulator::setSampleRate(int rate) {
    sampleRate = rate;
    r = flushNonNormal(1.0f - 10.0f / static_cast<float>(rate));
}

float RingModulator::process() {
    if (mode == kModeDcBlocked) {
        const float yA = flushNonNormal(inputA - previousA + r * blockedA);
        const float yB = flushNonNormal(inputB - previousB + r * blockedB);
        blockedA = yA;
        blockedB = yB;
        previousA = inputA;
        previousB = inputB;
        return yA * yB;
    }
    return flushNonNormal(inputA) * flushNonNormal(inputB);
}

} // namespace qv
