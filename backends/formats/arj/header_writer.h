// ARJ headers as arj 3.10 writes them: the main header and an entry's local header, each with
// its CRC-32 and the extended headers it needs, ready to be put before the entry's data.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/arj/entry.h"

namespace quorvex6::backend::arj {

// What the main header says of the archive: its own name (without a folder), when it was
// made, on which host, and its comment.
struct ArchiveFacts {
    std::string name;
    std::int64_t time = 0;  // seconds since 1970, UTC
    std::uint8_t host = kHostUnix;
    std::string comment;
};

// The header of `entry` (name as stored, host, type, method, sizes, CRC, time, mode, a link's
// target). The name's length fixes the header's length, so that a header rewritten with the
// sizes once the data is written fits its place. Throws io::Error(kNameTooLong) for a name
// too long for a header or a link target too long for its extended header.
std::vector<std::uint8_t> LocalHeader(const Entry& entry);

std::vector<std::uint8_t> MainHeader(const ArchiveFacts& facts);

// The end marker: a header of size 0.
inline constexpr std::uint8_t kEndMarker[] = {0x60, 0xEA, 0, 0};

}  // namespace quorvex6::backend::arj
