#pragma once
// The filter step of several voices at once: the same arithmetic as Vcf::process, four
// filters per SIMD operation (eight where the processor has AVX2, chosen when loaded). Each lane rounds exactly as the single filter does, and the
// dither is drawn voice after voice, so every filter's output and state come out bit for
// bit as from Vcf::process called for each voice in turn.

#include "engine/module_types.h"

namespace qv {

// The process-lanes function of the filter's module row (dsps are VcfModule objects): eight
// filters to a register where the processor has AVX2 (more than four filters), else four.
QV_KERNEL_CALL void processVcfLanes(void* const* dsps, const float* audio, float* value, int count,
                                    const LaneCall* between);

// The same in groups of 4 or 8 (8 only where eightFilterLanes() is true), for tests.
void processVcfLanesInGroupsOf(int groupLanes, void* const* dsps, const float* audio, float* value, int count,
                               const LaneCall* between);
bool eightFilterLanes();

} // namespace qv
