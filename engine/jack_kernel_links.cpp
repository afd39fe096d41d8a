// The kernel calls of jack patching: the electronic switch's route and a VCO's keyboard mode.
#include "engine/jack_kernel_links.h"

#include "engine/kernels/electronic_switch.h"
#include "engine/kernels/vco.h"

void setSwitchRoute(PatchModule& switchModule, int route) {
  if (switchModule.dsp != nullptr) static_cast<qv::ElectronicSwitch*>(switchModule.dsp)->setRoute(route);
}

int vcoKeyboardMode(const PatchModule& vco) {
  if (vco.dsp == nullptr) return qv::Vco::kModeKeyboard;
  return static_cast<const qv::Vco*>(vco.dsp)->mode;
}
