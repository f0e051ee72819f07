// Translating the switch properties into each archiver's option syntax.
#pragma once
#include "control/state.h"

namespace quorvex6 {

// Rebuilds all fifteen option strings of state.switches from the switch properties.
void ComposeSwitches(ControlState& state);

}  // namespace quorvex6
