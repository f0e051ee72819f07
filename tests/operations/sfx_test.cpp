#include <filesystem>

#include "operations/operation_fixture.h"

namespace quorvex6::testing {
namespace {

namespace fs = std::filesystem;

std::string Q(const std::string& text) { return "\"" + text + "\""; }

class Sfx : public OperationTest {
  protected:
    Sfx() {
        work_.Write("arc/a.arc", "archive");
        work_.Folder("to");
        state().sfxArcFileName = U("arc/a.arc");
    }
    void Run(int32_t kind) {
        control_->put_ArcMode(kind);
        control_->SFX();
    }
};

TEST_F(Sfx, CommandLinesAndTargetFolders) {
    struct Case {
        int32_t kind;
        std::string folder;  // sfxFolder, relative to the work folder; "" for none
        const char* entry;
        std::string start;
        std::string target;
    };
    const Case cases[] = {
        {LHA_, "", "Unlha", "s -jw ", "arc/"},  // the archive's own folder
        {LHA_, "to", "Unlha", "s -jw ", "to/"}, {LHA_, "to/", "Unlha", "s -jw ", "to/"},
        {ZIP_, "to", "Zip", "--sfx ", "to/"},   {CAB_, "", "Cab", "-f ", "arc/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry + (" " + c.folder));
        fake_.ClearCalls();
        state().sfxFolder = c.folder.empty() ? u"" : U(c.folder);
        state().Error = 1;
        Run(c.kind);
        const FakeCall call = OnlyCommand(c.entry);
        EXPECT_EQ(call.command, c.start + Q(At("arc/a.arc")) + " " + Q(At(c.target)));
        EXPECT_EQ(call.cwd + "/", At(c.target));
        ExpectResult(0, u"");
    }
}

TEST_F(Sfx, TypeAndCommandChangeOnlyTheLhaLine) {
    state().sfxType = WinSFX32;
    state().sfxCommand = u"-o";
    state().swCommand = u"-never";
    Run(LHA_);
    EXPECT_EQ(OnlyCommand("Unlha").command, "s -gw -o " + Q(At("arc/a.arc")) + " " + Q(At("arc/")));
    const std::pair<int32_t, const char*> unchanged[] = {{ZIP_, "--sfx "}, {CAB_, "-f "}};
    for (const auto& [kind, start] : unchanged) {
        fake_.ClearCalls();
        Run(kind);
        const char* entry = kind == ZIP_ ? "Zip" : "Cab";
        EXPECT_EQ(OnlyCommand(entry).command, start + Q(At("arc/a.arc")) + " " + Q(At("arc/")));
    }
}

TEST_F(Sfx, ZipNeedsNoExistingTargetFolder) {
    work_.Write("caller/here.zip", "PK");
    state().sfxArcFileName = u"here.zip";
    Run(ZIP_);
    EXPECT_EQ(OnlyCommand("Zip").command, "--sfx \"here.zip\" \"\"");
    fake_.ClearCalls();
    state().sfxFolder = U("new");
    Run(ZIP_);
    const FakeCall call = OnlyCommand("Zip");
    EXPECT_EQ(call.command, "--sfx \"here.zip\" " + Q(At("new/")));
    EXPECT_EQ(call.cwd, caller_.string());
}

TEST_F(Sfx, FailuresOfTheChecksAndKindsWithoutSelfExtractors) {
    struct Case {
        const char* what;
        int32_t kind;
        std::string folder;
        std::string archive;
        const char* scripted;
        int32_t value;
        int32_t code;
        std::u16string text;
    };
    const Case cases[] = {
        {"missing folder, lha", LHA_, "new", "arc/a.arc", nullptr, 0, 37122,
         u"指定されたパスがありません。"},
        {"missing folder, cab", CAB_, "new", "arc/a.arc", nullptr, 0, 37122,
         u"指定されたパスがありません。"},
        {"missing folder, arj", ARJ_, "new", "arc/a.arc", nullptr, 0, 37122,
         u"指定されたパスがありません。"},
        {"missing folder, ish", ISH_, "new", "arc/a.arc", nullptr, 0, 37122,
         u"指定されたパスがありません。"},
        {"missing folder, tar", TAR_, "new", "arc/a.arc", nullptr, 0, 37122,
         u"指定されたパスがありません。"},
        {"missing folder, rar", RAR_, "new", "arc/a.arc", nullptr, 0, 37122,
         u"指定されたパスがありません。"},
        {"missing folder, unknown kind", 7, "new", "arc/a.arc", nullptr, 0, 37122,
         u"指定されたパスがありません。"},
        {"missing archive", CAB_, "to", "arc/gone.arc", nullptr, 0, 32817,
         u"ファイルが見つかりません｡"},
        {"not an archive", LHA_, "to", "arc/a.arc", "UnlhaCheckArchive", 0, 32781,
         u"ファイルを開けませんでした。"},
        {"library error", CAB_, "to", "arc/a.arc", "Cab", 0x8005, 32773,
         u"ディスクの空きが足りません。"},
        {"arj", ARJ_, "to", "arc/a.arc", nullptr, 0, 37121, u"サポートされていません。"},
        {"ish", ISH_, "to", "arc/a.arc", nullptr, 0, 37121, u"サポートされていません。"},
        {"tar", TAR_, "to", "arc/a.arc", nullptr, 0, 37121, u"サポートされていません。"},
        {"rar", RAR_, "to", "arc/a.arc", nullptr, 0, 37121, u"サポートされていません。"},
        {"unknown kind", 7, "to", "arc/a.arc", nullptr, 0, 32781, u"ファイルを開けませんでした。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake_.ClearCalls();
        fake_.Return("UnlhaCheckArchive", 1);
        if (c.scripted != nullptr) fake_.Return(c.scripted, c.value);
        state().sfxFolder = U(c.folder);
        state().sfxArcFileName = U(c.archive);
        Run(c.kind);
        ExpectResult(c.code, c.text);
        if (c.code == 37122) {
            EXPECT_TRUE(fake_.Calls().empty());  // refused before the archive check
        }
        for (const auto& call : fake_.Calls()) {
            // Only the archive check, and the library that reported the error, were called.
            EXPECT_TRUE(call.entry.ends_with("CheckArchive") || call.entry == "Cab") << call.entry;
        }
        EXPECT_EQ(fs::current_path(), caller_);
    }
}

}  // namespace
}  // namespace quorvex6::testing
