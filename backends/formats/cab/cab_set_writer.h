// A cabinet made here, written again as a set of cabinets of at most a given size: blocks go
// out in order, a block that does not fit is split between two cabinets, and a folder that
// spills ends with the file that spilled it (each file is a folder of its own), as readers of
// sets expect.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "io/random_access.h"

namespace quorvex6::backend::cab {

struct SetNaming {
    // The file name of the cabinet at `index` (from 0), as headers give it.
    std::function<std::string(std::size_t index)> name_of;
    // Where that cabinet is written; asked once for each, in order.
    std::function<io::RandomOutput&(std::size_t index)> output_of;
};

// The smallest cabinet that holds one file named `longest_name` bytes long and one byte of its
// data, with the names of both neighbours of `longest_link` bytes.
std::uint64_t SmallestSetCabinet(std::size_t longest_name, std::size_t longest_link);

// Writes `single` as cabinets of at most `limit` bytes; returns how many. Throws io::Error:
// kRead, kBrokenHeader for a cabinet not made as this library makes them, kWrite also when
// `limit` cannot hold a cabinet's headers, kNameTooLong for names past 255 bytes.
std::size_t WriteCabinetSet(io::RandomInput& single, std::uint64_t limit, const SetNaming& naming);

}  // namespace quorvex6::backend::cab
