#pragma once
// Lag processor: one-pole smoother (slew) with coefficient (1 - 2 rate / fs)^2.

namespace qv {

struct LagProcessor {
    float sampleRate = 44100.0f;
    float rate = 1.6f;          // Hz
    float coefficient = 0.0f;
    float state = 0.0f;

    explicit LagProcessor(int sampleRate);

    void setRate(float hertz);
    void setSampleRate(int rate);
    // Process (audio sum): the smoothed value. Audio thread, once per sample.
    float process(float x);
};

} // namespace qv
