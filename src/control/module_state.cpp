#include "control/module_state.h"

namespace quorvex6 {

ModuleState& Module() {
    // One copy per host thread, as automation objects of an apartment share their module.
    thread_local ModuleState state;
    return state;
}

}  // namespace quorvex6
