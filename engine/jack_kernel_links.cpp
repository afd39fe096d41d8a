// The kernel calls of jack patching: the switch route is recorded until the switch kernel
// holds it; the VCO's keyboard mode is read from its object.
#include "engine/jack_kernel_links.h"

#include "engine/kernels/vco.h"

namespace {
SwitchRouteRecord gLastRoute;
}

void setSwitchRoute(PatchModule& switchModule, int route) {
  gLastRoute.module = &switchModule;
  gLastRoute.route = route;
  ++gLastRoute.calls;
}

int vcoKeyboardMode(const PatchModule& vco) {
  if (vco.dsp == nullptr) return qv::Vco::kModeKeyboard;
  return static_cast<const qv::Vco*>(vco.dsp)->mode;
}

SwitchRouteRecord lastSwitchRoute() { return gLastRoute; }
