#include "engine/kernels/envelope_follower.h"

#include <cmath>

#include "engine/kernels/sanitise.h"

namespace qv {

float EnvelopeFollower::process(float x) {
    const float magnitude = std::fabs(flushDegenerate(x));
    if (magnitude > level) {
        level = magnitude;
        // Inputs above the 10 V scale hold the level at full scale.
        if (level > 10.0f) level = 10.0f;
        return level;
    }
    level = flushDegenerate(level * 0.9995f);
    return level;
}

} // namespace qv
