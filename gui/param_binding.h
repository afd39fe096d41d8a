// How a control is tied to one plug-in parameter, and the readout kind of each parameter.
#pragma once

#include <cstdint>

#include "params/param_table.h"

class CanvasPlugin;

struct ParamBinding {
  int32_t index = -1;        // parameter index, -1 when unbound
  ParamDesc desc{};          // a copy of the parameter's descriptor
  CanvasPlugin* plugin = nullptr;
};

// A binding of parameter `index` with its descriptor from the table; -1 and zeros when the
// index lies outside 0..179.
ParamBinding bindingFor(int32_t index, CanvasPlugin* plugin);

// Readout kinds -1 (no readout) and 0..14, for parameter indexes 0..75.
inline constexpr int kParamUnitTableSize = 76;
extern const int ParamUnitTable[kParamUnitTableSize];
// The readout kind of any parameter index: -1 outside the table.
int unitKindFor(int32_t index);
