#include "engine/kernels/envelope_follower.h"

#include <cmath>

#include "engine/kernels/kernel_constants.h"

namespace qv {

float EnvelopeFollower::process(float x) {
    const float magnitude = std::fabs(flushNonNormal(x));
    if (magnitude > level) {
        level = magnitude;
        // Inputs above the 10 V scale hold the level at full scale.
        if (level > 10.0f) level = 10.0f;
        return level;
    }
    level = flushNonNormal(level * 0.9995f);
    return level;
}

} // namespace qv
