// Starting an external program (the arj and rar packers) without waiting for it.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvex6::platform {

class ProgramNotFound : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// How a command line names the packers: Windows names the program file, POSIX the command that
// PATH finds.
#if defined(_WIN32)
inline constexpr std::u16string_view kArjProgram = u"arj.exe";
inline constexpr std::u16string_view kRarProgram = u"rar.exe";
#else
inline constexpr std::u16string_view kArjProgram = u"arj";
inline constexpr std::u16string_view kRarProgram = u"rar";
#endif

// The packers' all-files pattern: their POSIX builds read "*.*" as "names with a dot".
#if defined(_WIN32)
inline constexpr std::u16string_view kProgramAllFiles = u"*.*";
#else
inline constexpr std::u16string_view kProgramAllFiles = u"*";
#endif

class ProgramStarter {
  public:
    virtual ~ProgramStarter() = default;
    // The command line is split as Windows splits one (blanks, double quotes, backslashes
    // before quotes); its first word is the program, looked up on PATH without a shell. A
    // hidden window sends the program's output nowhere. Returns the task identifier (process
    // id), 0 when the start failed; throws ProgramNotFound when no such program exists.
    // Started programs are reaped, never left as zombies.
    virtual uint32_t Start(const std::u16string& commandLine, bool shown) = 0;
};

// The platform's starter, the process default.
ProgramStarter& SystemProgramStarter();
// Puts starter in the default's place for the whole process (tests record the exact command
// line with it); nullptr restores the default. The caller keeps starter alive while it is set.
void SetProgramStarter(ProgramStarter* starter);
// Starts through the process's current starter.
uint32_t StartProgram(const std::u16string& commandLine, bool shown);

}  // namespace quorvex6::platform
