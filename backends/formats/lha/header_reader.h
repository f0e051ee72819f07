// Reads one member header at an offset, levels 0 to 3 with their extended headers, checking
// the level 0/1 checksum and the level 2/3 header CRC. Nothing in a header is trusted: sizes
// are checked against the header's own length and the archive's.
#pragma once
#include <cstdint>
#include <optional>

#include "formats/lha/entry.h"
#include "io/random_access.h"

namespace quorvex6::backend::lha {

// False at the end marker or the end of the input. Throws io::Error: kBrokenHeader for a header
// that cannot be what it claims, kHeaderChecksum, kBrokenData when the archive ends inside the
// header or its member, kRead.
bool ReadHeader(io::RandomInput& in, std::uint64_t offset, Entry& entry);

// Whether the bytes at `offset` look like a member header (method "-??-" and a known level):
// the cheap test used to find the archive in a self-extractor and to recognise the kind.
bool LooksLikeHeader(io::RandomInput& in, std::uint64_t offset);

// The first offset before `limit` holding a member header that damage to its method or level
// keeps from reading, told apart from chance bytes by its member ending where `end` says: at
// `end` (the next header) or one byte before it (the end marker).
std::optional<std::uint64_t> FindDamagedHeader(io::RandomInput& in, std::uint64_t limit,
                                               std::uint64_t end);

}  // namespace quorvex6::backend::lha
