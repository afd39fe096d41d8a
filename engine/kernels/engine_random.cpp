#include "engine/kernels/engine_random.h"

namespace qv {

void seedEngineRandom(EngineRandom& random, std::uint32_t seed) {
    random.seed = seed;
}

} // namespace qv
