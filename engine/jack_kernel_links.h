// The two places where jack patching reaches into module kernels: the electronic switch's
// route and a VCO's keyboard mode. Audio thread (called from PatchVoice::connectJacks and
// PatchVoice::updateKeyboardCvNormals); neither allocates, locks or waits.
#pragma once

#include "engine/patch_module.h"

// Sets the route of the electronic switch whose object the record uses (any of its three
// port records): 1 two inputs (A, B) to one output (C), 2 one input (C) to two outputs (A, B).
void setSwitchRoute(PatchModule& switchModule, int route);

// The VCO's keyboard mode: 1 keyboard control on, 2 keyboard control off.
int vcoKeyboardMode(const PatchModule& vco);

// Stand-in record of the last route set, until the switch kernel holds the route itself.
struct SwitchRouteRecord {
  const PatchModule* module = nullptr;
  int route = 0;
  int calls = 0;  // routes set since the process started
};
SwitchRouteRecord lastSwitchRoute();
