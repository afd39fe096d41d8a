#pragma once
// The filter step of several voices at once: the same arithmetic as Vcf::process, four
// filters per SIMD operation. Each lane rounds exactly as the single filter does, and the
// dither is drawn voice after voice, so every filter's output and state come out bit for
// bit as from Vcf::process called for each voice in turn.

#include "engine/module_types.h"

namespace qv {

// The process-lanes function of the filter's module row (dsps are VcfModule objects).
void processVcfLanes(void* const* dsps, const float* audio, float* value, int count, const LaneCall* between);

} // namespace qv
