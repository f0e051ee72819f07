// The one place where cab32 gives the format's faults their result codes: those of the
// common table.
#pragma once
#include <string>

#include "common/fault_codes.h"
#include "common/result.h"
#include "io/fault.h"

namespace quorvex6::backend::cab32 {

// A file of a set whose data lies partly in a cabinet that was not found.
inline Failure MissingCabinet(const std::string& name) {
    return Failure(result::kArchiveDataMissing,
                   name + " lies partly in a cabinet of its set that is missing");
}

inline Failure AsFailure(const io::Error& error) {
    return Failure(ResultCodeOf(error.fault()), error.what());
}

}  // namespace quorvex6::backend::cab32
