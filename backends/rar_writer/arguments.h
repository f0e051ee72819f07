// The command line rar is started with, as far as this writer takes it: `a` (replace whatever
// the time) or `u` (add new, replace changed), switches anywhere before "--", the archive and
// then names and patterns relative to the current folder.
#pragma once
#include <string>
#include <vector>

namespace quorvex6::backend::rar_writer {

struct Arguments {
    bool only_newer = true;    // `u`
    bool recursive = false;    // -r
    bool junk_paths = false;   // -ep
    bool skip_hidden = false;  // -eh: dot-files (-es, system files, names none on POSIX)
    std::string archive;       // ".rar" added when the name has no extension
    std::vector<std::string> names;
};

// Throws packer_program::BadArguments naming what it does not take.
Arguments ParseArguments(const std::vector<std::string>& words);

}  // namespace quorvex6::backend::rar_writer
