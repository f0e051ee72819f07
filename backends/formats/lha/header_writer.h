// Writes level 2 headers: the base header (which holds the Unix time), then extended headers for
// the header CRC, the name, the folder, Unix permissions (unless 0644 for a file or 0755 for a
// folder), and 64-bit sizes when a member needs them. Owner ids are not written: they mean nothing
// on another machine and cost 7 bytes a member.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/lha/entry.h"

namespace quorvex6::backend::lha {

struct HeaderBytes {
    std::vector<std::uint8_t> bytes;
    // Where the fields fixed after compression live, for PatchHeader().
    std::size_t crc_field = 0;
    std::size_t sizes_field = 0;
    bool wide_sizes = false;
};

// `entry.name` is UTF-8 with '/'; `wide_sizes` reserves the 64-bit size fields up front.
HeaderBytes BuildLevel2Header(const Entry& entry, bool wide_sizes);

// Sets method, sizes and data CRC after the member's data is written, and the header CRC.
// False when the sizes do not fit the header as built.
bool PatchHeader(HeaderBytes& header, const std::string& method, std::uint64_t packed,
                 std::uint64_t original, std::uint16_t crc);

}  // namespace quorvex6::backend::lha
