#pragma once
// The electronic switch ("Electronic Switch 1"): one object under three port records, switch
// A (type 33, jack pl50), B (34, pl52) and C (35, pl51). The cords at switch C choose the
// route: two inputs to one output (C outputs A or B by the control) or one input to two
// outputs (C's input goes to A or B by the control). Before any route is set, all read 0.

#include <cstdint>

#include "engine/module_types.h"

namespace qv {

struct ElectronicSwitch {
    static constexpr std::int32_t kRouteNone = 0;
    static constexpr std::int32_t kRouteTwoToOne = 1;
    static constexpr std::int32_t kRouteOneToTwo = 2;

    static bool serves(ModuleType type) {
        return type == ModuleType::SwitchA || type == ModuleType::SwitchB || type == ModuleType::SwitchC;
    }

    float inputA = 0.0f;
    float inputB = 0.0f;
    float single = 0.0f;
    float control = 0.0f;  // switch C's control sum
    std::int32_t route = kRouteNone;

    // Audio thread (the cord handler): one of the three routes.
    void setRoute(std::int32_t newRoute) { route = newRoute; }
    // The process functions of the three port records, audio thread.
    float processA(float x);
    float processB(float x);
    float processC(float x);
};

// The module-table functions of types 33 (with the object), 34 and 35.
ModuleKernel switchAKernel();
ModuleKernel switchBKernel();
ModuleKernel switchCKernel();

} // namespace qv
