// The one table from a format's or a job's Fault to the result code a library returns.
#pragma once
#include <cstdint>

#include "io/fault.h"

namespace quorvex6::backend {

int32_t ResultCodeOf(io::Fault fault);

}  // namespace quorvex6::backend
