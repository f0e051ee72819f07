// Starting an external program (the arj and rar packers) without waiting for it.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace quorvex6::platform {

class ProgramNotFound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The command line is split as Windows splits one (blanks, double quotes, backslashes before
// quotes); its first word is the program, looked up on PATH without a shell. A hidden window
// sends the program's output nowhere. Returns the task identifier (process id), 0 when the
// start failed; throws ProgramNotFound when no such program exists. Started programs are
// reaped, never left as zombies.
uint32_t StartProgram(const std::u16string& commandLine, bool shown);

}  // namespace quorvex6::platform
