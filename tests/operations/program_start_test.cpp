#include "platform/program_start.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/command_line.h"
#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

namespace fs = std::filesystem;
using platform::SplitCommandLine;
using platform::StartProgram;
using Words = std::vector<std::string>;

TEST(SplitCommandLine, AsWindowsSplitsOne) {
    const std::pair<std::string, Words> cases[] = {
        {"rar a -std  -r a.rar docs/*.* readme.txt ",
         {"rar", "a", "-std", "-r", "a.rar", "docs/*.*", "readme.txt"}},
        {"arj u \"a b.arj\" x", {"arj", "u", "a b.arj", "x"}},
        {"a\tb", {"a", "b"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\" x", {"", "x"}},
        {"a\\\\b", {"a\\\\b"}},
        {"a\\\"b", {"a\"b"}},
        {"\"a\\\\\" b", {"a\\", "b"}},
        {"\"a\"\"b\"", {"a\"b"}},
        {"\"open", {"open"}},
        {"   ", {}},
        {"", {}},
    };
    for (const auto& [line, words] : cases) EXPECT_EQ(SplitCommandLine(line), words) << line;
}

// A program on PATH that records what it saw, then leaves a marker.
class ProgramStart : public ::testing::Test {
  protected:
    ProgramStart() {
        const fs::path script = dir_.path() / "bin" / "probe";
        fs::create_directories(script.parent_path());
        const std::string d = dir_.str();
        std::ofstream(script)
            << "#!/bin/sh\n"
               "echo to-stdout; echo to-stderr >&2\n"
               "if [ -e /proc/$$/fd/$PROBE_FD ]; then echo open; else echo closed; fi > '"
            << d
            << "/fd'\n"
               "grep SigIgn /proc/$$/status > '"
            << d
            << "/signals'\n"
               "printf '%s\\n' \"$@\" > '"
            << d
            << "/args'\n"
               "pwd > '"
            << d
            << "/cwd'\n"
               "touch '"
            << d << "/done'\n";
        fs::permissions(script, fs::perms::owner_all);
        previousPath_ = getenv("PATH");
        setenv("PATH",
               ("/nonexistent::" + (dir_.path() / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
    }
    ~ProgramStart() override { setenv("PATH", previousPath_.c_str(), 1); }

    std::string Read(const std::string& name) const {
        std::ifstream in(dir_.path() / name);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Waits until the program has finished and, being reaped, is gone from the process table.
    void WaitUntilGone(uint32_t pid) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        const fs::path entry = "/proc/" + std::to_string(pid);
        while (!fs::exists(dir_.path() / "done") || fs::exists(entry)) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline)
                << Read("/proc/" + std::to_string(pid) + "/stat");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    TempDir dir_;
    std::string previousPath_;
};

TEST_F(ProgramStart, FoundOnPathWithTheWordsOfTheLineAndReaped) {
    const uint32_t pid = StartProgram(u"probe u  \"a b.arj\" 日本 \"\" x\\\"y", false);
    ASSERT_NE(pid, 0u);
    WaitUntilGone(pid);
    EXPECT_EQ(Read("args"), "u\na b.arj\n日本\n\nx\"y\n");
    EXPECT_EQ(Read("cwd"), fs::current_path().string() + "\n");
}

TEST_F(ProgramStart, HiddenOutputGoesNowhereShownOutputStaysTheHosts) {
    for (const bool shown : {false, true}) {
        fs::remove(dir_.path() / "done");
        const fs::path captured = dir_.path() / "captured";
        const int into = open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int out = dup(1), err = dup(2);
        fflush(stdout);
        dup2(into, 1);
        dup2(into, 2);
        const uint32_t pid = StartProgram(u"probe", shown);
        dup2(out, 1);
        dup2(err, 2);
        close(out), close(err), close(into);
        ASSERT_NE(pid, 0u);
        WaitUntilGone(pid);
        EXPECT_EQ(Read("captured"), shown ? "to-stdout\nto-stderr\n" : "") << shown;
    }
}

TEST_F(ProgramStart, TheProgramInheritsNoFilesAndNoIgnoredSignals) {
    const int inherited = open(dir_.path().c_str(), O_RDONLY);  // not close-on-exec
    setenv("PROBE_FD", std::to_string(inherited).c_str(), 1);
    struct sigaction previous {};
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGUSR1, &ignore, &previous);
    const uint32_t pid = StartProgram(u"probe", false);
    sigaction(SIGUSR1, &previous, nullptr);
    close(inherited);
    ASSERT_NE(pid, 0u);
    WaitUntilGone(pid);
    EXPECT_EQ(Read("fd"), "closed\n");
    const std::string signals = Read("signals");
    const unsigned long long ignored =
        std::stoull(signals.substr(signals.find(':') + 1), nullptr, 16);
    EXPECT_EQ(ignored & (1ull << (SIGUSR1 - 1)), 0u) << signals;
}

TEST_F(ProgramStart, MissingProgramIsATrappableFailureNamingIt) {
    fs::create_directories(dir_.path() / "bin" / "folder");
    std::ofstream(dir_.path() / "bin" / "plain") << "#!/bin/sh\n";  // not executable
    for (const std::u16string line :
         {u"qv-no-such-program u a.arj", u"folder", u"plain", u"./missing x", u" "}) {
        try {
            StartProgram(line, false);
            ADD_FAILURE() << U8(line);
        } catch (const platform::ProgramNotFound& failure) {
            const std::string first =
                SplitCommandLine(U8(line)).empty() ? "" : SplitCommandLine(U8(line))[0];
            EXPECT_NE(std::string(failure.what()).find(first), std::string::npos) << failure.what();
        }
    }
}

TEST_F(ProgramStart, AProgramThatCannotBeExecutedGivesNoTaskIdentifier) {
    std::ofstream(dir_.path() / "bin" / "broken") << "neither a binary nor a script";
    fs::permissions(dir_.path() / "bin" / "broken", fs::perms::owner_all);
    EXPECT_EQ(StartProgram(u"broken", false), 0u);
}

}  // namespace
}  // namespace quorvex6::testing
