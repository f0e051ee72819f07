// What the first bits of an entry's packed data tell without decoding it.
#pragma once
#include "formats/rar/volume_set.h"

namespace quorvex6::backend::rar {

// Whether the entry's first block is PPMd: RAR 2.9-3.x's compressed data that starts a stream
// says so in the top bit of its first byte. False for anything else (other generations and
// versions, stored, solid continuations, encrypted data, or a byte that cannot be read).
bool StartsWithPpmd(const JoinedEntry& joined, const VolumeSet::VolumeInput& volume);

}  // namespace quorvex6::backend::rar
