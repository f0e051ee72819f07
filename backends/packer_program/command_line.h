// What the packer programs' command lines share: a command (`u`, or `a` to replace whatever
// the time), switches anywhere before "--", the archive and then names and patterns relative
// to the current folder. Each program reads its own switches.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex6::backend::packer_program {

class BadArguments : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct CommandLine {
    bool only_newer = true;  // `u`
    std::string archive;     // the suffix added when the name has no extension
    std::vector<std::string> names;
};

// Throws BadArguments naming what it does not take; `apply_switch` throws it for a switch
// that is not the program's.
CommandLine ParseCommandLine(const std::vector<std::string>& words, std::string_view suffix,
                             const std::function<void(std::string_view)>& apply_switch);

// For a program's switch reader: the error for a switch it does not take.
[[noreturn]] void UnknownSwitch(std::string_view word);

}  // namespace quorvex6::backend::packer_program
