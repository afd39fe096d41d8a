#include "engine/kernels/vca.h"

#include <cmath>

#include "engine/kernels/kernel_constants.h"

namespace qv {

void vcaLinearCv(Vca& vca, float volts) {
    vca.linearCv = flushNonNormal(0.1f * volts);
}

void vcaExpCv(Vca& vca, float volts) {
    const float e = volts < 10.0f ? 0.1f * volts : 1.0f;
    vca.exponentialCv = flushNonNormal((std::pow(10.0f, e) - 1.0f) * 0.11111f);
}

float vcaProcess(Vca& vca, float x, float gain) {
    return (gain + vca.linearCv + vca.exponentialCv) * flushNonNormal(x);
}

} // namespace qv
