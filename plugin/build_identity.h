// How one deliverable presents itself to the host. The instrument and the effect build
// are compiled from one source and differ only in this record; the entry point picks the
// record of its build and passes it into the plug-in object, so one program can construct
// and check both. Constant data: any thread.
#pragma once

#include <cstdint>

struct BuildIdentity {
  int32_t uniqueId;             // the identifier the host sees
  bool isSynth;                 // declared a synthesizer (instrument build only)
  const char* effectName;       // effGetEffectName
  const char* productString;    // effGetProductString
  const char* vendorString;     // effGetVendorString
  int32_t vendorVersion;        // effGetVendorVersion
  const char* windowClassName;  // the editor window's class
};

extern const BuildIdentity kInstrumentIdentity;
extern const BuildIdentity kEffectIdentity;
