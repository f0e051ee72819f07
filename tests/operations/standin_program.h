// Stand-ins for the arj and rar programs: a script on PATH that records the words it was
// started with and its current directory.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/program_start.h"

namespace quorvex6::testing {

class StandInPrograms {
  public:
    // Puts bin (holding the named programs) in front of PATH for the object's lifetime.
    StandInPrograms(const std::filesystem::path& bin, const std::vector<std::string>& names);
    ~StandInPrograms();
    StandInPrograms(const StandInPrograms&) = delete;
    StandInPrograms& operator=(const StandInPrograms&) = delete;

    struct Run {
        std::vector<std::string> words;  // the program's name first
        std::string cwd;
    };
    // Waits for the started program to finish its record.
    Run WaitForRun() const;

  private:
    std::filesystem::path record_;
    std::string previousPath_;
};

// Takes the place of the platform's program start while it lives: records every start's exact
// command line, window flag and current directory, and answers as told instead of starting.
class RecordedStarts : public platform::ProgramStarter {
  public:
    RecordedStarts();
    ~RecordedStarts() override;
    RecordedStarts(const RecordedStarts&) = delete;
    RecordedStarts& operator=(const RecordedStarts&) = delete;

    struct Started {
        std::u16string commandLine;
        bool shown = false;
        std::string cwd;
    };
    uint32_t Start(const std::u16string& commandLine, bool shown) override;

    std::vector<Started> starts;
    uint32_t taskIdentifier = 4711;  // what a start answers
    bool programMissing = false;     // a start throws ProgramNotFound instead
};

}  // namespace quorvex6::testing
