// RAR 3.x-4.x archive comments: a CMT service block before the first file, its text stored or
// packed by the 2.9 method, with a CRC-32 of the text.
#pragma once
#include <string>

#include "formats/rar/entry.h"
#include "io/random_access.h"

namespace quorvex6::backend::rar {

// The text of the CMT block `service` describes; empty when it is encrypted, larger than a
// comment may be, packed by a method no codec here decodes, damaged or fails its CRC. A comment
// is only metadata: only a failing read stops the archive.
std::string ReadServiceComment(io::RandomInput& in, const Entry& service);

}  // namespace quorvex6::backend::rar
