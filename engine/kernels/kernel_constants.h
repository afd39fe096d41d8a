#pragma once
// Value flushing and constants shared by the module kernels.

#include "engine/sanitize.h"

namespace qv {

inline constexpr float kPiF = 3.14159265358979323846f;
inline constexpr double kPi = 3.14159265358979323846;

} // namespace qv
