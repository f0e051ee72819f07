// Stand-ins for the arj and rar programs: a script on PATH that records the words it was
// started with and its current directory.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

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

}  // namespace quorvex6::testing
