#include "engine/kernels/sample_hold.h"

#include <cmath>

namespace qv {

void SampleAndHold::setControl(float volts) {
    control = volts;
    position = (position + 1) & 31;
    ring[position] = volts;
}

float SampleAndHold::process(float x) {
    if (std::fabs(control - ring[(position + 1) & 31]) > 0.5f) {
        held = x;
        for (float& entry : ring) entry = control;
        position = 0;
    }
    return held;
}

} // namespace qv
