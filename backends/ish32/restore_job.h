// Restoring the files of an ISH text through the shared extraction rules: names as headers
// and first lines give them, times as the headers give them, each file written beside its
// name and put in place only once every block is whole and its CRC holds.
#pragma once
#include <cstdint>
#include <string>

#include "common/output_log.h"

namespace quorvex6::backend::ish32 {

struct RestoreOptions {
    std::string folder;  // "" is the current folder
    // Keep a file that is as new as the header's time or newer (logged with 0x800E).
    bool only_newer = false;
};

// The command's result: the first file's failure, or 0. Throws Failure 0x801B when the text
// holds no file at all, 0x801A when it cannot be read to its end.
int32_t RestoreFiles(const std::string& text, const RestoreOptions& options, OutputLog& log);

}  // namespace quorvex6::backend::ish32
