#include "operations/standin_program.h"

#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace quorvex6::testing {

namespace fs = std::filesystem;

StandInPrograms::StandInPrograms(const fs::path& bin, const std::vector<std::string>& names)
    : record_(bin / "record") {
    fs::create_directories(bin);
    for (const auto& name : names) {
        const fs::path script = bin / name;
        std::ofstream(script) << "#!/bin/sh\n"
                                 "{ printf '%s\\n' \"${0##*/}\"; for word in \"$@\"; do printf "
                                 "'%s\\n' \"$word\"; done; }"
                                 " > '"
                              << record_.string()
                              << ".part'\n"
                                 "pwd > '"
                              << record_.string()
                              << ".cwd'\n"
                                 "/bin/mv '"
                              << record_.string() << ".part' '" << record_.string() << "'\n";
        fs::permissions(script, fs::perms::owner_all);
    }
    previousPath_ = getenv("PATH") != nullptr ? getenv("PATH") : "";
    // Only the stand-ins: a real arj or rar of the system must not be found instead.
    setenv("PATH", bin.c_str(), 1);
}

StandInPrograms::~StandInPrograms() { setenv("PATH", previousPath_.c_str(), 1); }

StandInPrograms::Run StandInPrograms::WaitForRun() const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(record_)) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the program never ran");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Run run;
    std::ifstream words(record_);
    for (std::string word; std::getline(words, word);) run.words.push_back(word);
    std::ifstream cwd(record_.string() + ".cwd");
    std::getline(cwd, run.cwd);
    fs::remove(record_);
    return run;
}

RecordedStarts::RecordedStarts() { platform::SetProgramStarter(this); }

RecordedStarts::~RecordedStarts() { platform::SetProgramStarter(nullptr); }

uint32_t RecordedStarts::Start(const std::u16string& commandLine, bool shown) {
    starts.push_back({commandLine, shown, fs::current_path().string()});
    if (programMissing) throw platform::ProgramNotFound("cannot start the program: not found");
    return taskIdentifier;
}

}  // namespace quorvex6::testing
