#include <filesystem>

#include "operations/operation_fixture.h"

namespace quorvex6::testing {
namespace {

namespace fs = std::filesystem;

std::string Q(const std::string& text) { return "\"" + text + "\""; }

class Extract : public OperationTest {
  protected:
    Extract() {
        work_.Write("arc/a.arc", "archive");
        work_.Folder("to");
        SwitchesOff();
        state().eArcFileName = U("arc/a.arc");
        state().eFolder = U("to");
    }
    void Run(int32_t kind) {
        control_->put_ArcMode(kind);
        control_->Extract();
    }
};

struct ExtractKind {
    int32_t kind;
    const char* entry;
    const char* check;
    std::string start;      // before " " + QA + " " + QF + " " + tail
    std::string listStart;  // the same when a list is passed
    const char* marker;
};

// All switches off.
const ExtractKind kKinds[] = {
    {LHA_, "Unlha", "UnlhaCheckArchive", "e -+ -x0 -c1 -a0 -f1 -n", "e -+ -x0 -c1 -a0 -f1 -n", "@"},
    {ZIP_, "UnZip", "UnZipCheckArchive", "-x -j --i", "-x -j --i", "@"},
    {CAB_, "Cab", "CabCheckArchive", "-x -j -i", "-x -j -i", "@"},
    {ARJ_, "Unarj", "UnarjCheckArchive", "e -+  -a -i", "e -+  -a -i", "!"},
    {TAR_, "Tar", "TarCheckArchive", " -x  --use-directory=0 -I --display-dialog=0 -f",
     " -x --use-directory=0 -I --display-dialog=0 -f", "@"},
    {RAR_, "Unrar", "UnrarCheckArchive", "-e ", "-e ", "@"},
};

TEST_F(Extract, CommandLinesWithAndWithoutAList) {
    for (const bool listed : {false, true}) {
        control_->eFilesClear();
        if (listed) {
            control_->eAddFile(u"a.txt");
            control_->eAddFile(u"");
            control_->eAddFile(u"日本/b.txt");
        }
        for (const auto& k : kKinds) {
            for (const std::string folder : {"to", "to/"}) {
                SCOPED_TRACE(std::string(k.entry) + (listed ? " listed " : " ") + folder);
                fake_.ClearCalls();
                state().eFolder = U(folder);
                state().Error = 1;
                Run(k.kind);
                const FakeCall call = OnlyCommand(k.entry);
                const std::string names = " " + Q(At("arc/a.arc")) + " " + Q(At("to") + "/") + " ";
                if (listed) {
                    const std::string start =
                        k.listStart + names + "\"" + k.marker + temp_.str() + "/~TR";
                    EXPECT_TRUE(call.command.starts_with(start)) << call.command;
                    ASSERT_EQ(call.lists.size(), 1u);
                    EXPECT_EQ(call.lists[0], "\"a.txt\"\r\n\"日本/b.txt\"\r\n\r\n");
                } else {
                    EXPECT_EQ(call.command, k.start + names + "*.*");
                    EXPECT_TRUE(call.lists.empty());
                }
                EXPECT_EQ(call.cwd, At("to"));
                const auto checks = fake_.Calls(k.check);
                ASSERT_EQ(checks.size(), 1u);
                EXPECT_EQ(checks[0].command, At("arc/a.arc"));
                ExpectResult(0, u"");
            }
        }
    }
}

TEST_F(Extract, FolderNamesChooseTheVerbOfArjAndRar) {
    state().swFolderName = kTrue;
    Run(ARJ_);
    EXPECT_TRUE(OnlyCommand("Unarj").command.starts_with("x -+  -a -i \""))
        << OnlyCommand("Unarj").command;
    fake_.ClearCalls();
    Run(RAR_);
    EXPECT_TRUE(OnlyCommand("Unrar").command.starts_with("-x  \"")) << OnlyCommand("Unrar").command;
}

TEST_F(Extract, IshTakesShortPathsAndNoList) {
    control_->eAddFile(u"a.txt");  // written and deleted, never named
    Run(ISH_);
    const FakeCall call = OnlyCommand("Ish", 0);
    EXPECT_EQ(call.command, " /a " + At("arc/a.arc") + " /f=" + At("to") + "/");
    EXPECT_TRUE(call.lists.empty());
}

TEST_F(Extract, MissingTargetFolderIsTheLibrarysToMakeExceptForCabAndIsh) {
    state().eFolder = U("new");
    control_->eAddFile(u"a.txt");
    for (const auto& k : kKinds) {
        SCOPED_TRACE(k.entry);
        fake_.ClearCalls();
        Run(k.kind);
        if (k.kind == CAB_) {
            ExpectResult(37122, u"指定されたパスがありません。");
            EXPECT_TRUE(fake_.Calls(k.entry).empty());
            continue;
        }
        const FakeCall call = OnlyCommand(k.entry);
        EXPECT_EQ(call.cwd, caller_.string());
        EXPECT_NE(call.command.find(Q(At("new") + "/")), std::string::npos) << call.command;
    }
    fake_.ClearCalls();
    Run(ISH_);
    ExpectResult(37122, u"指定されたパスがありません。");
    EXPECT_TRUE(fake_.Calls("Ish").empty());
}

TEST_F(Extract, FailuresOfTheChecksAndTheLibrary) {
    struct Case {
        const char* what;
        std::string folder;
        std::string archive;
        const char* scripted;
        int32_t value;
        int32_t code;
        std::u16string text;
        size_t calls;
    };
    const Case cases[] = {
        {"no folder", "", "arc/a.arc", nullptr, 0, 37122, u"指定されたパスがありません。", 0},
        {"no archive", "to", "arc/gone.arc", nullptr, 0, 32817, u"ファイルが見つかりません｡", 0},
        {"not an archive", "to", "arc/a.arc", "UnlhaCheckArchive", 0, 32781,
         u"ファイルを開けませんでした。", 1},
        {"library error", "to", "arc/a.arc", "Unlha", 0x8016, 32790,
         u"書庫のヘッダのチェックサムが合っていません。", 2},
    };
    control_->eAddFile(u"a.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake_.ClearCalls();
        fake_.Return("UnlhaCheckArchive", 1);
        if (c.scripted != nullptr) fake_.Return(c.scripted, c.value);
        state().eFolder = c.folder.empty() ? u"" : U(c.folder);
        state().eArcFileName = U(c.archive);
        Run(LHA_);
        ExpectResult(c.code, c.text);
        EXPECT_EQ(fake_.Calls().size(), c.calls);
        EXPECT_EQ(fs::current_path(), caller_);
        EXPECT_EQ(WorkFilesLeft(), std::vector<std::string>{});
    }
}

TEST_F(Extract, UnknownKindFailsTheArchiveCheck) {
    Run(7);
    ExpectResult(32781, u"ファイルを開けませんでした。");
    EXPECT_TRUE(fake_.Calls().empty());
}

}  // namespace
}  // namespace quorvex6::testing
