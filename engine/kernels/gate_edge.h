#pragma once
// Gate edge detection over the last 32 control sums, shared by the envelopes and the
// keyboard gate. An edge is a change of more than 5 V against the oldest stored sum; after
// an edge the ring is refilled with the new value, so one step of the gate gives one edge.

#include <cstdint>

namespace qv {

struct GateEdgeRing {
    static constexpr std::int32_t kSize = 32;
    float sums[kSize] = {};
    std::int32_t position = 0;

    // Stores the control sum v; returns +1 for a rising edge, -1 for a falling one, else 0.
    // Audio thread (set-control).
    int feed(float v) {
        const std::int32_t newest = (position + 1) & (kSize - 1);
        sums[newest] = v;
        const float d = v - sums[(position + 2) & (kSize - 1)];
        position = newest;
        const int edge = d < -5.0f ? -1 : (d > 5.0f ? 1 : 0);
        if (edge != 0) {
            for (float& entry : sums) entry = v;
            position = 0;
        }
        return edge;
    }
};

} // namespace qv
