// Folders written to one data file, cut into a set of cabinets of at most a given size: blocks
// go out in order, a block that does not fit is split between two cabinets, and a folder that
// spills ends with the file that spilled it (each file with data is a folder of its own), as
// readers of sets expect. The data file is no cabinet, so the set as a whole has no size limit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "formats/cab/cab_writer.h"
#include "io/fault.h"
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

// What a set is cut from: each folder's CFDATA blocks, as written, at its offset in the data
// file, and the files of each folder (their `folder` unused).
struct SetContents {
    std::vector<WrittenFolder> folders;
    std::vector<std::vector<WrittenFile>> files;
    std::uint64_t id_seed = 0;  // what varies with the contents, for the set ID
};

// The set would pass a count the format holds: 65535 cabinets, or 65535 files in a cabinet
// when one folder's files alone are more.
class SetTooLarge : public io::Error {
  public:
    explicit SetTooLarge(const std::string& what) : io::Error(io::Fault::kWrite, what) {}
};

// The largest cabinet a set is made of; some readers take the size field as signed.
inline constexpr std::uint64_t kMaxSetCabinet = 0x7FFFFFFF;

// Writes `contents` as cabinets of at most `limit` bytes, each of at most 65533 folders and
// 65535 files;
// returns how many. Throws SetTooLarge; io::Error: kRead, kWrite also when `limit` cannot
// hold a cabinet's headers or passes kMaxSetCabinet, kNameTooLong for names past 255 bytes.
std::size_t WriteCabinetSet(io::RandomInput& data, const SetContents& contents, std::uint64_t limit,
                            const SetNaming& naming);

}  // namespace quorvex6::backend::cab
