// Names of the parameter indexes whose values the plug-in routes by hand, and the two jack
// codes a cord parameter connects. Pure data and functions: any thread.
#pragma once

#include <cstdint>

struct PatchModule;
namespace qv {
class Vco;
}

enum ParamIndex : int {
  kParamMasterBypass = 1,
  kParamEnvelopeGateSource = 38,
  kParamVco1Keyboard = 58,
  kParamVco2Keyboard = 59,
  kParamVco3Keyboard = 60,
  kParamMixerVcfLevel = 46,
  kParamMixerVcaLevel = 47,
  kParamKeyboardTrigger = 62,
  kParamKeyboardRepeat = 63,
  kParamClockOffset = 73,
  kParamLfoOffset = 74,
  kParamMasterVolume = 75,
  kParamIntervalLatch = 76,
  kParamVoices = 81,
  kParamClockSync = 82,
  kParamClockPulses = 83,
  kParamLfoSync = 84,
  kParamLfoPulses = 85,
};

// A cord as the engine patches it: this jack's code and the peer's code, 0 for no cord.
struct CordEnds {
  int32_t own = 0;
  int32_t peer = 0;
};

// The ends of cord parameter 90..178 whose plain value is `plain` (the peer jack index).
// No peer (0) when the value is not a jack index 1..89 or names the parameter's own jack.
// Any other index gives {0, 0}.
CordEnds cordEnds(int index, float plain);

// The VCO object of a VCO module record; null for any other record.
qv::Vco* vcoObject(const PatchModule* record);
