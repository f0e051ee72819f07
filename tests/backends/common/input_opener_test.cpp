// Opening through a kept folder reads the same files, and fails the same way, as opening by the
// whole path: across folders, back to an earlier one, through a linked folder, by a bare name.
#include "common/input_opener.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "backends/support/backend_library.h"

namespace fs = std::filesystem;

namespace quorvex6::backend {
namespace {

class InputOpenerTest : public quorvex6::testing::ScratchTest {};

std::string Contents(InputFile file) {
    std::string text(64, '\0');
    text.resize(file.Read(text.data(), text.size()));
    return text;
}

TEST_F(InputOpenerTest, OpensAsTheWholePathWould) {
    for (const char* f : {"a/one.txt", "a/two.txt", "b/three.txt", "a/deep/four.txt", "top.txt"}) {
        fs::create_directories((root_ / f).parent_path());
        std::ofstream(root_ / f) << f;
    }
    fs::create_directory_symlink(root_ / "a", root_ / "link");
    const fs::path old_cwd = fs::current_path();
    fs::current_path(root_);
    struct Case {
        std::string path;
        std::string contents;  // "" where it cannot be opened
    };
    const std::string r = root_.string() + "/";
    const Case cases[] = {
        {r + "a/one.txt", "a/one.txt"},
        {r + "a/two.txt", "a/two.txt"},
        {r + "b/three.txt", "b/three.txt"},
        {r + "a/one.txt", "a/one.txt"},
        {r + "a/deep/four.txt", "a/deep/four.txt"},
        {r + "link/two.txt", "a/two.txt"},
        {"top.txt", "top.txt"},
        {"a/two.txt", "a/two.txt"},
        {r + "a/missing.txt", ""},
        {r + "nowhere/one.txt", ""},
        {r + "a/one.txt", "a/one.txt"},
    };
    InputOpener opener;
    for (const Case& c : cases) {
        if (!c.contents.empty()) {
            EXPECT_EQ(Contents(opener.Open(c.path)), c.contents) << c.path;
            continue;
        }
        try {
            opener.Open(c.path);
            ADD_FAILURE() << c.path << " opened";
        } catch (const Failure& f) {
            EXPECT_EQ(f.code(), result::kCannotOpen) << c.path;
            EXPECT_NE(std::string(f.what()).find("cannot open " + c.path + ":"), std::string::npos)
                << f.what();
        }
    }
    fs::current_path(old_cwd);
}

}  // namespace
}  // namespace quorvex6::backend
