#include "plugin/param_routing.h"

#include "plugin/param_convert.h"
#include "plugin/quorvane_vst.h"

CordEnds cordEnds(int index, float plain) {
  if (!isCordParam(index)) return {};
  CordEnds ends;
  ends.own = jackCodeOfIndex(jackIndexOfParam(index));
  if (plain >= 1.0f && plain < kJackCount + 1.0f) {
    const int32_t peer = jackCodeOfIndex(static_cast<int>(plain));
    if (peer != ends.own) ends.peer = peer;
  }
  return ends;
}

// Applies a parameter's plain value to the voice contexts and the shared modules: every
// per-voice module and connection in all nine contexts, the shared modules through
// context 0, and cords through cordEnds. Called by setParameter after the value is stored
// and the plug-in's own fields are written. No voice context exists yet, so nothing here
// has an engine to reach.
void Quorvane_VST::routeToEngine(int, float) {}
