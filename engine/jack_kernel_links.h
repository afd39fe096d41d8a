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

