// The command line arj is started with, as far as this writer takes it: a command (`u`, or `a`
// to replace whatever the time), switches anywhere before "--", the archive and then names and
// patterns relative to the current folder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace quorvex6::backend::arj_writer {

struct Arguments {
    bool only_newer = true;      // `u` without -c
    bool recursive = false;      // -r
    bool junk_paths = false;     // -e
    bool any_attribute = false;  // -a: links stored as links, FIFOs and devices named
    bool dos_host = false;       // -2d: DOS times and attributes instead of UNIX ones
    std::uint8_t method = 1;     // -m0 stores, -m1 .. -m4 pack with method 1
    std::string archive;         // ".arj" added when the name has no extension
    std::vector<std::string> names;
};

// Throws packer_program::BadArguments naming what it does not take.
Arguments ParseArguments(const std::vector<std::string>& words);

}  // namespace quorvex6::backend::arj_writer
