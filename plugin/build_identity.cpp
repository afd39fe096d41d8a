#include "plugin/build_identity.h"

#include "vst/aeffect.h"

namespace {

constexpr const char* kVendor = "Halvorsk, Inc.";
constexpr int32_t kVendorVersion = 1400;

}  // namespace

const BuildIdentity kInstrumentIdentity = {
    fourCharCode('Q', 'V', 'u', 'I'), true, "Quorvane 3970", "Quorvane 3970 v1.3",
    kVendor, kVendorVersion, "Quorvane_WindowClass"};

const BuildIdentity kEffectIdentity = {
    fourCharCode('Q', 'E', 'u', 'I'), false, "Quorvane 3970 Efx", "Quorvane 3970 Efx v1.3",
    kVendor, kVendorVersion, "Quorvane_WindowClassEfx"};
