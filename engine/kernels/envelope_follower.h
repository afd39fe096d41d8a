#pragma once
// Envelope follower: instant attack to the input's magnitude, slow exponential release.

namespace qv {

struct EnvelopeFollower {
    float level = 0.0f;

    // Process (audio sum, volts): the new level, at most 10 V. Audio thread, once per sample.
    float process(float x);
};

} // namespace qv
