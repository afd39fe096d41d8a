#include "engine/kernels/keyboard_lfo.h"

#include <cmath>

#include "engine/kernels/kernel_constants.h"

namespace qv {

KeyboardLfo::KeyboardLfo(int newRate) {
    stale = 7;
    setSampleRate(newRate);
}

void KeyboardLfo::setSampleRate(int newRate) {
    sampleRate = static_cast<float>(newRate);
    increment = rate / sampleRate;
    inverseSampleRate = 1.0f / sampleRate;
    // The delay clock runs from the start, so the first held note also gets its vibrato.
    timeStep = inverseSampleRate;
}

void KeyboardLfo::tick() {
    stale = 7;
    phase += increment;
    if (phase >= 1.0f) phase -= 1.0f;
    timeSinceGate += timeStep;
}

void KeyboardLfo::setGate(std::int32_t flag) {
    if (flag == gate) return;
    gate = flag;
    timeSinceGate = 0.0f;
    if (!flag) timeStep = inverseSampleRate;
}

void KeyboardLfo::setRate(float hertz) {
    rate = hertz;
    increment = rate / sampleRate;
}

void KeyboardLfo::setVibratoDelay(float seconds) {
    vibratoDelay = seconds;
    inverseDelay = 1.0f / seconds;
}

float KeyboardLfo::vibratoEnvelope() const {
    if (!gate) return 0.0f;
    if (timeSinceGate < vibratoDelay) return 0.0f;
    if (timeSinceGate < 2.0f * vibratoDelay) return (timeSinceGate - vibratoDelay) * inverseDelay;
    return 1.0f;
}

float KeyboardLfo::gatedSine(float s) const {
    if (!gate) return 0.0f;
    if (timeSinceGate < vibratoDelay) return 0.0f;
    if (timeSinceGate < 2.0f * vibratoDelay) return s * (timeSinceGate - vibratoDelay) * inverseDelay;
    return s;
}

float KeyboardLfo::output(std::int32_t index) {
    if (index == kOutputSine) {
        if (stale & kStaleSine) {
            sine = gatedSine(std::sin(2.0f * kPiF * phase));
            stale &= ~kStaleSine;
        }
        return sine;
    }
    if (index == kOutputSquare || index == kOutputTriangle) {
        if (stale & kStaleSquareTriangle) {
            if (phase < 0.5f) {
                square = 10.0f;
                triangle = 2.0f * phase - 1.0f;
            } else {
                square = 0.0f;
                triangle = 1.0f - 2.0f * phase;
            }
            stale &= ~kStaleSquareTriangle;
        }
        return index == kOutputSquare ? square : triangle;
    }
    return 0.0f;
}

float KeyboardLfo::syncedOutput(std::int32_t index) const {
    // The synced phase grows without bound; its fraction is taken in double precision.
    const double whole = syncedPhase;
    const double fraction = whole - std::floor(whole);
    if (index == kOutputSine) {
        return gatedSine(static_cast<float>(std::sin(2.0 * kPi * fraction)));
    }
    const float f = static_cast<float>(fraction);
    if (index == kOutputSquare) return fraction < 0.5 ? 10.0f : 0.0f;
    if (index == kOutputTriangle) return fraction < 0.5 ? 2.0f * f - 1.0f : 1.0f - 2.0f * f;
    return 0.0f;
}

} // namespace qv
