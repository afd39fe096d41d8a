#include "engine/kernels/noise.h"

#include <cmath>

#include "engine/kernels/kernel_constants.h"

namespace qv {

NoiseGenerator::NoiseGenerator(int rate) {
    setSampleRate(rate);
}

void NoiseGenerator::setSampleRate(int rate) {
    sampleRate = static_cast<float>(rate);
    const double a = 2.0 - std::cos(2.0 * kPi * 50.0 / static_cast<double>(rate));
    pole = static_cast<float>(a - std::sqrt(a * a - 1.0));
    oneMinusPole = 1.0f - pole;
}

float NoiseGenerator::output(float level, float colour, EngineRandom& random) {
    if (!(cachedOutput < -100.0f)) return cachedOutput;
    const float w = static_cast<float>(nextEngineRandom(random)) / 32768.0f - 0.5f;
    red = pole * red + oneMinusPole * w;
    cachedOutput = ((10.0f * red - w) * colour + w) * level;
    return cachedOutput;
}

} // namespace qv
