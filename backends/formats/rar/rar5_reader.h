// One RAR 5.0 volume read header by header from its main header to its end header: entries in
// stored order with their extra records, the comment, the volume facts.
#pragma once
#include <cstdint>

#include "formats/rar/entry.h"
#include "io/random_access.h"

namespace quorvex6::backend::rar {

// `start` is where the signature is. Throws io::Error: kBrokenHeader or kHeaderChecksum when
// the main header is damaged, kEncrypted when the headers are encrypted, kRead. Damage later
// on ends the entries and is kept as the volume's end_error.
Volume ReadRar5Volume(io::RandomInput& in, std::uint64_t start);

}  // namespace quorvex6::backend::rar
