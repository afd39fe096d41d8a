// The two jack codes a cord parameter connects (the parameter names are in params/param_ids.h). Pure data and functions: any thread.
#pragma once

#include <cstdint>

#include "params/param_ids.h"

struct PatchModule;
namespace qv {
class Vco;
}


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
