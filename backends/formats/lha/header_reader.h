// Reads one member header at an offset, levels 0 to 3 with their extended headers, checking
// the level 0/1 checksum and the level 2/3 header CRC. Nothing in a header is trusted: sizes
// are checked against the header's own length and the archive's.
#ifndef QV_FORMATS_LHA_HEADER_READER_H
#define QV_FORMATS_LHA_HEADER_READER_H

#include "formats/lha/byte_io.h"
#include "formats/lha/entry.h"

#include <optional>

namespace quorvex6::formats::lha {

// Largest header accepted: level 2 cannot exceed 64 KiB, and level 3 archives in the wild
// stay far below this.
inline constexpr std::uint32_t kMaxHeaderSize = 1 << 20;

Status read_header(ByteInput& in, std::uint64_t offset, Entry& entry);

// Whether the bytes at `offset` look like a member header (method "-??-" and a known level):
// the cheap test used to find the archive in a self-extractor and to recognise the kind.
bool looks_like_header(ByteInput& in, std::uint64_t offset);

// The first offset before `limit` holding a member header that damage to its method or level
// keeps from reading, told apart from chance bytes by its member ending where `end` says: at
// `end` (the next header) or one byte before it (the end marker).
std::optional<std::uint64_t> find_damaged_header(ByteInput& in, std::uint64_t limit,
                                                 std::uint64_t end);

}  // namespace quorvex6::formats::lha

#endif
