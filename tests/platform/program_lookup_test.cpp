// Which file a started program's name stands for: our arj beside the control before any on
// PATH, our rar only where PATH has none, anything else from PATH alone.
#include "platform/posix/program_lookup.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

namespace fs = std::filesystem;

class ProgramLookup : public ::testing::Test {
  protected:
    ProgramLookup() {
        previous_ = getenv("PATH");
        setenv("PATH", (dir_.path() / "path").c_str(), 1);
    }
    ~ProgramLookup() override { setenv("PATH", previous_.c_str(), 1); }
    std::string Program(const std::string& relative, bool executable = true) {
        const fs::path file = dir_.Write(relative, "#!/bin/sh\n");
        fs::permissions(file, executable ? fs::perms::owner_all : fs::perms::owner_read);
        return file.string();
    }
    std::string Own() const { return (dir_.path() / "own").string(); }

    TempDir dir_;
    std::string previous_;
};

TEST_F(ProgramLookup, OursFirstForArjAndPathForTheRest) {
    EXPECT_EQ(platform::FindProgram("arj", Own()), "");
    const std::string on_path = Program("path/arj");
    EXPECT_EQ(platform::FindProgram("arj", Own()), on_path);
    Program("own/quorvex-arj", false);  // not executable: not ours to start
    EXPECT_EQ(platform::FindProgram("arj", Own()), on_path);
    const std::string ours = Program("own/quorvex-arj");
    EXPECT_EQ(platform::FindProgram("arj", Own()), ours);
    EXPECT_EQ(platform::FindProgram("arj", ""), on_path);
    fs::remove(on_path);
    EXPECT_EQ(platform::FindProgram("arj", Own()), ours);

    EXPECT_EQ(platform::FindProgram("rar", Own()), "");
    Program("own/rar");  // a name that is no row of ours is PATH's alone
    EXPECT_EQ(platform::FindProgram("rar", Own()), "");
    const std::string rar = Program("path/rar");
    EXPECT_EQ(platform::FindProgram("rar", Own()), rar);
    EXPECT_EQ(platform::FindProgram(rar, Own()), rar);
}

TEST_F(ProgramLookup, RarFromPathFirstAndOursOnlyWithoutOne) {
    const std::string ours = Program("own/quorvex-rar");
    EXPECT_EQ(platform::FindProgram("rar", Own()), ours);
    const std::string on_path = Program("path/rar");
    EXPECT_EQ(platform::FindProgram("rar", Own()), on_path);
    EXPECT_EQ(platform::FindProgram("rar", ""), on_path);
}

}  // namespace
}  // namespace quorvex6::testing
