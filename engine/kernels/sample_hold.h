#pragma once
// Sample-and-hold: samples its input whenever the control has moved by more than 0.5 V away
// from its value at the last sampling (each edge of a clock, rising and falling).

#include <cstdint>

namespace qv {

struct SampleAndHold {
    float held = 0.0f;     // the output
    float control = 0.0f;  // last control sum
    float ring[32] = {};   // the last 32 control sums given
    std::int32_t position = 0;

    // Set-control (called when the control sum changed). Audio thread.
    void setControl(float volts);
    // Process (audio sum): the held value.
    float process(float x);
};

} // namespace qv
