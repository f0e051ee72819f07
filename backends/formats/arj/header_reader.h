// One ARJ header as stored: the basic header checked against its CRC-32, and the extended
// headers after it, each checked too.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/random_access.h"

namespace quorvex6::backend::arj {

struct ExtendedHeader {
    std::uint8_t tag = 0;            // 'U' a UNIX special file's data, 'E' extended attributes, ...
    std::vector<std::uint8_t> data;  // after the tag and the "continues" byte
};

struct RawHeader {
    std::vector<std::uint8_t> basic;  // the basic header, at least kMinFirstSize bytes
    std::string name;                 // the stored bytes, up to their NUL
    std::string comment;
    std::vector<ExtendedHeader> extended;
    std::uint64_t end = 0;  // offset just past the header (where an entry's data starts)
};

// The header at `offset`; nullopt for the end marker. Throws io::Error: kBrokenHeader when
// no header or an impossible one is there (also at the end of the input), kHeaderChecksum
// when a CRC disagrees, kRead.
std::optional<RawHeader> ReadHeader(io::RandomInput& in, std::uint64_t offset);

}  // namespace quorvex6::backend::arj
