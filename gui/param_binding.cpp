#include "gui/param_binding.h"

// Readout kind per parameter index 0..75, ten to a line.
const int ParamUnitTable[kParamUnitTableSize] = {
    -1, -1, 1, 1, 1, 0, 4, 6, 6, 6,  // 0..9
    0, 4, 5, 6, 6, 6, 1, 0, 4, 5,  // 10..19
    6, 6, 6, 0, 4, 7, 1, 1, 1, 1,  // 20..29
    1, 1, 1, 3, 3, 2, 3, 3, -1, 3,  // 30..39
    1, 1, 1, 1, 1, 8, 1, 1, 1, 1,  // 40..49
    9, 11, 1, 1, 1, 12, 1, 13, -1, -1,  // 50..59
    -1, -1, -1, -1, -1, 12, 14, 6, 14, -1,  // 60..69
    -1, 10, 1, 5, 5, 1,  // 70..75
};

int unitKindFor(int32_t index) {
  return index >= 0 && index < kParamUnitTableSize ? ParamUnitTable[index] : -1;
}

ParamBinding bindingFor(int32_t index, CanvasPlugin* plugin) {
  ParamBinding b;
  if (index < 0 || index >= kParamTableSize) return b;
  b.index = index;
  b.desc = ParamDescTable[index];
  b.plugin = plugin;
  return b;
}
