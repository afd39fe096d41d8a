#include "engine/kernels/lag.h"

#include "engine/kernels/kernel_constants.h"

namespace qv {
namespace {

float lagCoefficient(float rate, float sampleRate) {
    const float x = 1.0f - 2.0f * rate / sampleRate;
    return x * x;
}

} // namespace

LagProcessor::LagProcessor(int newRate) {
    sampleRate = static_cast<float>(newRate);
    rate = 1.6f;
    coefficient = lagCoefficient(rate, sampleRate);
    state = 0.0f;
}

void LagProcessor::setRate(float hertz) {
    rate = hertz;
    coefficient = lagCoefficient(rate, sampleRate);
}

void LagProcessor::setSampleRate(int newRate) {
    sampleRate = static_cast<float>(newRate);
    coefficient = lagCoefficient(rate, sampleRate);
}

float LagProcessor::process(float x) {
    const float input = flushNonNormal(x);
    const float previous = flushNonNormal(state);
    state = (1.0f - coefficient) * input + coefficient * previous;
    return state;
}

} // namespace qv
