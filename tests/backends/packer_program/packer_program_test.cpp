// The packer programs' shared command line and exit codes: which command lines are refused,
// what the archive is called, where names start, and which exit code a result gives.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "packer_program/command_line.h"
#include "packer_program/exit_codes.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::backend::packer_program {
namespace {

TEST(PackerCommandLine, ReadsCommandArchiveAndNames) {
    struct Case {
        const char* what;
        std::vector<std::string> words;
        bool only_newer;
        std::string archive;
        std::vector<std::string> names;
        std::vector<std::string> switches;
    };
    const Case cases[] = {
        {"update", {"u", "box"}, true, "box.x", {}, {}},
        {"add", {"a", "box.zz", "one"}, false, "box.zz", {"one"}, {}},
        {"a dot in a folder is no extension", {"u", "d.d/box"}, true, "d.d/box.x", {}, {}},
        {"switches anywhere",
         {"-r", "u", "-q", "box", "one", "-s"},
         true,
         "box.x",
         {"one"},
         {"-r", "-q", "-s"}},
        {"after -- a dash is a name", {"u", "--", "box", "-r"}, true, "box.x", {"-r"}, {}},
        {"a lone dash is a name", {"u", "box", "-"}, true, "box.x", {"-"}, {}},
        {"empty names dropped", {"u", "box", "", "one"}, true, "box.x", {"one"}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> seen;
        const CommandLine line = ParseCommandLine(
            c.words, ".x", [&](std::string_view word) { seen.emplace_back(word); });
        EXPECT_EQ(line.only_newer, c.only_newer) << c.what;
        EXPECT_EQ(line.archive, c.archive) << c.what;
        EXPECT_EQ(line.names, c.names) << c.what;
        EXPECT_EQ(seen, c.switches) << c.what;
    }
}

TEST(PackerCommandLine, RefusesWhatItCannotDo) {
    struct Case {
        const char* what;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"nothing", {}},
        {"no archive", {"u"}},
        {"unknown command", {"x", "box"}},
        {"empty archive name", {"u", ""}},
        {"a switch the program refuses", {"u", "-bad", "box"}},
    };
    for (const Case& c : cases) {
        auto refuse_bad = [](std::string_view word) {
            if (word == "-bad") UnknownSwitch(word);
        };
        EXPECT_THROW(ParseCommandLine(c.words, ".x", refuse_bad), BadArguments) << c.what;
    }
}

TEST(PackerExitCodes, SharedCodesThenTheProgramsOwn) {
    const std::array<OwnExit, 2> own{{{result::kDiskFull, 5}, {result::kFileNotFound, 9}}};
    struct Case {
        std::int32_t result;
        int exit;
    };
    const Case cases[] = {
        {result::kSuccess, kExitSuccess},
        {result::kFileNotFound, kExitWarning},  // the shared meaning comes first
        {result::kSkipped, kExitWarning},
        {result::kReadError, kExitWarning},
        {result::kNoHeapMemory, kExitNoMemory},
        {result::kDiskFull, 5},
        {result::kWriteError, kExitFatal},
    };
    for (const Case& c : cases) EXPECT_EQ(ExitCodeOf(c.result, own), c.exit) << c.result;
}

}  // namespace
}  // namespace quorvex6::backend::packer_program
