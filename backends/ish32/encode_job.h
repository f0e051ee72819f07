// Encoding one file as an ISH text, BASE.ish in a folder. The text replaces one of that name
// only once it is whole.
#pragma once
#include <string>

#include "codecs/ish/variant.h"

namespace quorvex6::backend::ish32 {

// The path written. Throws Failure: 0x8031 when `file` is not a regular file, 0x8008 when it
// is too large for the format's 32-bit size, the file calls' codes otherwise.
std::string EncodeFile(const std::string& file, const std::string& folder,
                       codecs::ish::Variant variant);

}  // namespace quorvex6::backend::ish32
