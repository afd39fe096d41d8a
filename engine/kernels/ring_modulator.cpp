#include "engine/kernels/ring_modulator.h"

#include "engine/kernels/sanitise.h"

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
    r = flushDegenerate(1.0f - 10.0f / static_cast<float>(rate));
}

float RingModulator::process() {
    if (mode == kModeDcBlocked) {
        const float yA = flushDegenerate(inputA - previousA + r * blockedA);
        const float yB = flushDegenerate(inputB - previousB + r * blockedB);
        blockedA = yA;
        blockedB = yB;
        previousA = inputA;
        previousB = inputB;
        return yA * yB;
    }
    return flushDegenerate(inputA) * flushDegenerate(inputB);
}

} // namespace qv
