#pragma once
// The engine's one pseudo-random generator (a 32-bit linear congruential generator).

#include <cstdint>

namespace qv {

// One state per engine instance; the noise generator and the filter dither draw from it.
// Touched only by the audio thread once the engine runs.
struct EngineRandom {
    std::uint32_t seed = 1;
};

// Test and start-up hook: restarts the sequence from the given seed.
void seedEngineRandom(EngineRandom& random, std::uint32_t seed);

// Advances the state (seed = seed x 214013 + 2531011 mod 2^32) and returns 0 .. 32767.
// Audio thread; no allocation.
inline std::int32_t nextEngineRandom(EngineRandom& random) {
    random.seed = random.seed * 214013u + 2531011u;
    return static_cast<std::int32_t>((random.seed >> 16) & 32767u);
}

} // namespace qv
