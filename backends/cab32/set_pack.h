// Cabinet sets as `-v:N` makes them: the files' folders first written to a work file, then cut
// into cabinets of at most N KiB, the first under the archive's name and the others numbered
// from 2 before its suffix (`disk.cab`, `disk2.cab`, `disk3.cab`, ...).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/file_system.h"
#include "formats/cab/cab_set_writer.h"

namespace quorvex6::backend::cab32 {

// The file name of cabinet `index` (from 0) of the set whose first cabinet is `first`.
std::string SetCabinetName(const std::string& first, std::size_t index);

// Throws Failure(0x801C) when cabinets of `limit` bytes cannot hold the headers of a file named
// `longest_name` bytes long.
void CheckSetLimit(const std::string& archive, std::uint64_t limit, std::size_t longest_name);

// Writes `contents`, whose blocks lie in `work`, as a set of cabinets of at most `limit` bytes
// named after `archive`; each takes its place only when all are complete. Throws Failure:
// 0x8011 past the counts a set holds (65535 cabinets, 65535 files in each).
void WriteSet(const std::string& archive, const OutputFile& work, const cab::SetContents& contents,
              std::uint64_t limit);

}  // namespace quorvex6::backend::cab32
