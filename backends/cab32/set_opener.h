// How cab32 finds the cabinets after the one it was given: by the name the header stores, in
// the same folder, letters compared without case as the names were often written on another
// system.
#pragma once
#include <memory>
#include <string>

#include "formats/cab/cab_reader.h"

namespace quorvex6::backend::cab32 {

// The cabinet at `path` with the rest of its set beside it. Throws io::Error as CabReader does
// (kCannotOpen when `path` cannot be opened).
std::unique_ptr<cab::CabReader> OpenCabinetSet(const std::string& path);

}  // namespace quorvex6::backend::cab32
