#pragma once
// Shared internal clock: a square wave, 0 V in the first half of each period and 10 V in the
// second; or, while clock sync is on, a level set from the host's musical position.

#include <cstdint>

namespace qv {

struct InternalClock {
    static constexpr std::int32_t kMinimumPeriod = 2;           // samples
    static constexpr std::int32_t kMaximumPeriod = 1 << 30;     // samples

    float periodSeconds = 0.5f;
    std::int32_t counter = 0;       // samples into the current period, below periodSamples
    std::int32_t periodSamples = kMinimumPeriod;
    float syncedLevel = 0.0f;
    std::int32_t sampleRate = 44100;

    // Created with a period of 0.5 s.
    explicit InternalClock(int sampleRate);

    // "Sample and Hold Rate" (seconds): periodSamples = int(sampleRate x s), at least 2.
    void setPeriod(float seconds);
    // Re-applies the period in seconds at the new rate.
    void setSampleRate(int rate);
    // Once per sample on the audio thread; the counter wraps at the period.
    void tick();
    // Free-running output function.
    float output() const;
    // While clock sync is on: the level set once per block from the musical position.
    void setSyncedLevel(float level) { syncedLevel = level; }
    float syncedOutput() const { return syncedLevel; }
};

} // namespace qv
