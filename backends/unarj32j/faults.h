// How the format's faults become this library's failures: ARJ's codes are those of the
// common table.
#pragma once
#include <string>

#include "common/fault_codes.h"
#include "common/result.h"
#include "io/fault.h"

namespace quorvex6::backend::unarj32j {

// `context` (a path, or "") goes before the format's own text.
inline Failure FailureOf(const io::Error& error, const std::string& context) {
    return Failure(ResultCodeOf(error.fault()),
                   context.empty() ? error.what() : context + ": " + error.what());
}

}  // namespace quorvex6::backend::unarj32j
