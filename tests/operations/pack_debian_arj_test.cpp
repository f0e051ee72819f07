// The command lines the control composes for ARJ, run by Debian's arj itself (where it
// finishes: no dot-file at the top of its folder): with the platform's all-files pattern it
// stores names without a dot, below and at the top, as the control's list asks.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "backends/support/child_process.h"
#include "operations/operation_fixture.h"
#include "operations/standin_program.h"
#include "platform/command_line.h"

namespace quorvex6::testing {
namespace {

// Runs the words in `cwd` with no input and no terminal, as the platform starts a program.
int RunIn(const std::string& cwd, std::vector<std::string> words) {
    words.insert(words.begin(), {"timeout", "60"});
    const pid_t pid = StartChild([&] {
        if (chdir(cwd.c_str()) != 0) return 126;
        const int null = open("/dev/null", O_RDWR);
        for (int fd = 0; fd < 3; ++fd) dup2(null, fd);
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        return 127;
    });
    return WaitForChild(pid).code;
}

// The stored names, as 7zz lists them.
std::set<std::string> StoredNames(const std::string& archive) {
    std::set<std::string> names;
    FILE* list = popen(("7zz l -slt '" + archive + "' 2>/dev/null").c_str(), "r");
    if (list == nullptr) return names;
    char line[4096];
    bool entries = false;  // after the archive's own block
    while (std::fgets(line, sizeof line, list) != nullptr) {
        std::string text(line);
        if (text.starts_with("----------")) entries = true;
        if (entries && text.starts_with("Path = ")) names.insert(text.substr(7, text.size() - 8));
    }
    pclose(list);
    return names;
}

class PackWithDebianArj : public OperationTest {
  protected:
    PackWithDebianArj() {
        for (const char* name : {"Makefile", "README", "a.txt", "sub/.hid", "sub/noext",
                                 "sub/deep/LICENSE", "with space/d e.txt"})
            work_.Write(std::string("src/") + name, name);
        work_.Folder("out");
        SwitchesOff();
        state().pBaseFolder = U("src");
        control_->put_ArcMode(ARJ_);
    }
};

TEST_F(PackWithDebianArj, StoresEveryNameTheListAsksFor) {
    struct Case {
        const char* what;
        std::vector<std::u16string> files;
        int16_t under_folder;
        std::set<std::string> stored;
    };
    const Case cases[] = {
        {"no list, recursive",
         {},
         kTrue,
         {"Makefile", "README", "a.txt", "sub/.hid", "sub/noext", "sub/deep/LICENSE",
          "with space/d e.txt"}},
        {"no list, this folder", {}, kFalse, {"Makefile", "README", "a.txt"}},
        {"folder entries",
         {u"sub", u"with space", u"README"},
         kTrue,
         {"sub/.hid", "sub/noext", "sub/deep/LICENSE", "with space/d e.txt", "README"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordedStarts starts;
        state().swUnderFolder = c.under_folder;
        state().swFolderName = kTrue;
        control_->pFilesClear();
        for (const std::u16string& file : c.files) control_->pAddFile(file);
        const std::string archive = At("out/" + std::to_string(++n) + ".arj");
        state().pArcFileName = U16(archive);
        control_->Pack();
        ASSERT_EQ(starts.starts.size(), 1u);
        const std::vector<std::string> words =
            platform::SplitCommandLine(U8(starts.starts[0].commandLine));
        ASSERT_EQ(RunIn(starts.starts[0].cwd, words), 0);
        EXPECT_EQ(StoredNames(archive), c.stored);
    }
}

}  // namespace
}  // namespace quorvex6::testing
