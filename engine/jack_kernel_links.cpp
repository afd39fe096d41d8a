// Stand-ins for the kernel calls of jack patching: the switch route is recorded, the VCO's
// keyboard mode reads as on.
#include "engine/jack_kernel_links.h"

namespace {
SwitchRouteRecord gLastRoute;
}

void setSwitchRoute(PatchModule& switchModule, int route) {
  gLastRoute.module = &switchModule;
  gLastRoute.route = route;
  ++gLastRoute.calls;
}

int vcoKeyboardMode(const PatchModule& /*vco*/) { return 1; }

SwitchRouteRecord lastSwitchRoute() { return gLastRoute; }
