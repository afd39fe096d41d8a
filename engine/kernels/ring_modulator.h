#pragma once
// Ring modulator: the product of its two inputs, each optionally through a DC blocker.

#include <cstdint>

namespace qv {

struct RingModulator {
    static constexpr std::int32_t kModeDcBlocked = 1;
    static constexpr std::int32_t kModePlain = 2;

    std::int32_t mode = kModeDcBlocked;
    float previousA = 0.0f, previousB = 0.0f;  // last inputs
    float blockedA = 0.0f, blockedB = 0.0f;    // last blocker outputs
    float inputA = 0.0f, inputB = 0.0f;
    float r = 0.0f;                            // blocker pole, 1 - 10 / sampleRate
    std::int32_t sampleRate = 44100;

    RingModulator(std::int32_t mode, int sampleRate);

    // Mode 1 blocks DC on both inputs, any other mode gives the plain product. Clears the state.
    void setMode(std::int32_t mode);
    void setSampleRate(int rate);
    // Process functions of the two input records: store this sample's input (result 0).
    void setInputA(float x) { inputA = x; }
    void setInputB(float x) { inputB = x; }
    // Process of the modulator record, after both inputs were stored this sample. Audio thread.
    float process();
};

} // namespace qv
