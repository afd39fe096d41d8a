#include "engine/kernels/internal_clock.h"

namespace qv {

InternalClock::InternalClock(int rate) : sampleRate(rate) {
    setPeriod(0.5f);
}

void InternalClock::setPeriod(float seconds) {
    periodSeconds = seconds;
    const float samples = static_cast<float>(sampleRate) * seconds;
    // Truncated; a period below 2 samples (or not a number) would leave no high half, or
    // divide by zero, so it is held at 2.
    if (!(samples >= static_cast<float>(kMinimumPeriod))) {
        periodSamples = kMinimumPeriod;
    } else if (samples >= static_cast<float>(kMaximumPeriod)) {
        periodSamples = kMaximumPeriod;
    } else {
        periodSamples = static_cast<std::int32_t>(samples);
    }
    counter %= periodSamples;
}

void InternalClock::setSampleRate(int rate) {
    sampleRate = rate;
    setPeriod(periodSeconds);
}

void InternalClock::tick() {
    if (++counter >= periodSamples) counter = 0;
}

float InternalClock::output() const {
    return counter > periodSamples / 2 ? 10.0f : 0.0f;
}

} // namespace qv
