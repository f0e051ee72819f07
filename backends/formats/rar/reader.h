// A RAR archive (or one volume of a set) opened for reading, either generation: found behind a
// self-extractor's program if need be.
#pragma once
#include "formats/rar/entry.h"
#include "io/random_access.h"

namespace quorvex6::backend::rar {

// Throws io::Error: kNotArchive when no signature is found, and what the generation's reader
// throws for a damaged main header or encrypted headers.
Volume ReadVolume(io::RandomInput& in);

}  // namespace quorvex6::backend::rar
