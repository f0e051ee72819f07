// The one table from a format's or a job's Fault to the result code a library returns.
#pragma once
#include <cstdint>
#include <string>

#include "common/result.h"
#include "io/fault.h"

namespace quorvex6::backend {

int32_t ResultCodeOf(io::Fault fault);

// A format's fault as the library's failure; `context` (a path, or "") goes before its text.
inline Failure FailureOf(const io::Error& error, const std::string& context) {
    return Failure(ResultCodeOf(error.fault()),
                   context.empty() ? error.what() : context + ": " + error.what());
}

}  // namespace quorvex6::backend
