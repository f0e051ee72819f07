// The one place where cab32 gives the format's faults their result codes: those of the
// common table.
#pragma once
#include "common/fault_codes.h"
#include "common/result.h"
#include "io/fault.h"

namespace quorvex6::backend::cab32 {

inline Failure AsFailure(const io::Error& error) {
    return Failure(ResultCodeOf(error.fault()), error.what());
}

}  // namespace quorvex6::backend::cab32
