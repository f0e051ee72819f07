#include <filesystem>
#include <fstream>

#include "operations/operation_fixture.h"
#include "operations/standin_program.h"
#include "platform/program_start.h"

namespace quorvex6::testing {
namespace {

namespace fs = std::filesystem;

std::string Q(const std::string& text) { return "\"" + text + "\""; }
// The started programs' all-files pattern on this platform.
std::string AllFiles() { return U8(std::u16string(platform::kProgramAllFiles)); }

class Pack : public OperationTest {
  protected:
    Pack() {
        work_.Write("src/readme.txt", "r");
        work_.Write("src/docs/d.txt", "d");
        work_.Folder("out");
        SwitchesOff();
        state().pBaseFolder = U("src");
    }
    void Run(int32_t kind, const std::string& archive) {
        control_->put_ArcMode(kind);
        state().pArcFileName = U(archive);
        control_->Pack();
    }
    // The list reference at the end of a command, checked to name a work file.
    void ExpectListTail(const std::string& command, const std::string& before) {
        const std::string tail = " \"@" + temp_.str() + "/~TR";
        ASSERT_TRUE(command.starts_with(before + tail)) << command;
        EXPECT_TRUE(command.ends_with(".TMP\"")) << command;
    }
};

struct LibraryKind {
    int32_t kind;
    const char* entry;
    const char* archive;
    std::string (*line)(const std::string& qa, const std::string& qb);
};

const LibraryKind kLibraryKinds[] = {
    {LHA_, "Unlha", "out/a.lzh",
     [](const std::string& qa, const std::string& qb) {
         return "u -+ -r0 -x0 -c1 -a0 -f1 -n -jm2 " + qa + " " + qb;
     }},
    {ZIP_, "Zip", "out/a.zip",
     [](const std::string& qa, const std::string& qb) { return " -j -q " + qa + " " + qb; }},
    {CAB_, "Cab", "out/a.cab",
     [](const std::string& qa, const std::string& qb) { return "-a  -i -mz " + qa + " " + qb; }},
    {TAR_, "Tar", "out/a.tar",
     [](const std::string& qa, const std::string& qb) {
         return "-c  --use-directory=0 -AA --display-dialog=0 -f " + qa + " " + qb;
     }},
};

TEST_F(Pack, WholeBaseFolderWithoutAList) {
    for (const auto& k : kLibraryKinds) {
        for (const std::string base : {"src", "src/"}) {  // the separator is added once
            SCOPED_TRACE(std::string(k.entry) + " " + base);
            fake_.ClearCalls();
            state().Error = 1;
            state().pBaseFolder = U(base);
            Run(k.kind, k.archive);
            const FakeCall call = OnlyCommand(k.entry);
            EXPECT_EQ(call.command, k.line(Q(At(k.archive)), Q(At("src") + "/")) + " *.*");
            EXPECT_EQ(call.cwd, At("src"));
            EXPECT_TRUE(call.lists.empty());
            ExpectResult(0, u"");
        }
    }
}

TEST_F(Pack, ListFileNamesFoldersAndFiles) {
    control_->pAddFile(u"docs");
    control_->pAddFile(u"readme.txt");
    control_->pAddFile(U("src/docs"));  // an absolute folder is not taken for a folder entry
    control_->pAddFile(u"x");
    control_->put_pFilesList(3, u"");  // empty entries are skipped
    control_->pAddFile(u"日本.txt");
    for (const auto& k : kLibraryKinds) {
        SCOPED_TRACE(k.entry);
        fake_.ClearCalls();
        Run(k.kind, k.archive);
        const FakeCall call = OnlyCommand(k.entry);
        ExpectListTail(call.command, k.line(Q(At(k.archive)), Q(At("src") + "/")));
        ASSERT_EQ(call.lists.size(), 1u);
        EXPECT_EQ(call.lists[0], "\"docs/*.*\"\r\n\"readme.txt\"\r\n\"" + At("src/docs") +
                                     "\"\r\n\"日本.txt\"\r\n\r\n");
        ExpectResult(0, u"");
    }
}

TEST_F(Pack, AListOfEmptyEntriesStillMakesAListFile) {
    control_->pAddFile(u"x");
    control_->put_pFilesList(0, u"");
    Run(LHA_, "out/a.lzh");
    const FakeCall call = OnlyCommand("Unlha");
    ASSERT_EQ(call.lists.size(), 1u);
    EXPECT_EQ(call.lists[0], "\r\n");
}

TEST_F(Pack, ArchiveNameWithoutFolderGoesIntoTheBaseFolder) {
    control_->put_ArcMode(LHA_);
    state().pArcFileName = u"a.lzh";
    control_->Pack();
    const FakeCall call = OnlyCommand("Unlha");
    EXPECT_TRUE(call.command.find(" \"a.lzh\" \"" + At("src") + "/\" *.*") != std::string::npos)
        << call.command;
    EXPECT_EQ(call.cwd, At("src"));
}

TEST_F(Pack, ZipUpdatesOnlyAnExistingArchiveWhenTimeStampsAreChecked) {
    work_.Write("out/old.zip", "PK");
    struct Case {
        const char* archive;
        int16_t check;
        std::string start;
    };
    const Case cases[] = {
        {"out/old.zip", kTrue, "-u  -j -q "},
        {"out/new.zip", kTrue, " -j -q "},
        {"out/old.zip", kFalse, " -j -q "},
    };
    for (const auto& c : cases) {
        fake_.ClearCalls();
        state().swCheckTimeStamp = c.check;
        Run(ZIP_, c.archive);
        EXPECT_EQ(OnlyCommand("Zip").command,
                  c.start + Q(At(c.archive)) + " " + Q(At("src") + "/") + " *.*");
    }
}

TEST_F(Pack, IshEncodesOneFileIntoAFolder) {
    state().pTypeOfIsh = JIS7;
    state().swCommand = u"-v";  // makes optIshPack " -v /s7", trimmed in the command
    control_->pAddFile(u"readme.txt");
    Run(ISH_, "out");
    const FakeCall call = OnlyCommand("Ish", 0);
    EXPECT_EQ(call.command, "/s readme.txt -v /s7 /f=" + At("out"));
    EXPECT_EQ(call.cwd, At("src"));
    ExpectResult(0, u"");
}

TEST_F(Pack, ProgramsGetTheNamesOnTheirCommandLine) {
    const StandInPrograms programs(work_.path() / "bin", {"arj", "rar"});
    work_.Write("src/two words.txt");
    control_->pAddFile(u"docs");
    control_->pAddFile(u"readme.txt");
    control_->pAddFile(u"missing.txt");  // no short form: only its separator remains
    control_->pAddFile(u"two words.txt");
    struct Case {
        int32_t kind;
        int16_t check;
        std::vector<std::string> words;
    };
    const std::string archive = At("out/a b.arc");
    const std::vector<std::string> names = {"docs/" + AllFiles(), "readme.txt", "two words.txt"};
    const auto with = [&](std::vector<std::string> start) {
        start.push_back(archive);
        start.insert(start.end(), names.begin(), names.end());
        return start;
    };
    const Case cases[] = {
        {ARJ_, kFalse, with({"arj", "u", "-e", "-c"})},
        {ARJ_, kTrue, with({"arj", "u", "-e"})},
        {RAR_, kFalse, with({"rar", "a", "-std", "-ep", "-es", "-eh"})},
        {RAR_, kTrue, with({"rar", "u", "-std", "-ep", "-es", "-eh"})},
    };
    for (const auto& c : cases) {
        state().swCheckTimeStamp = c.check;
        Run(c.kind, "out/a b.arc");
        ExpectResult(0, u"");
        const auto run = programs.WaitForRun();
        EXPECT_EQ(run.words, c.words);
        EXPECT_EQ(run.cwd, At("src"));
    }
    EXPECT_TRUE(fake_.Calls().empty());
    EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(Pack, ProgramCommandLinesByteForByte) {
    work_.Write("src/two words/x.txt");
    work_.Write("src/a b.txt");
    struct Case {
        const char* what;
        int32_t kind;
        std::vector<std::u16string> files;
        int16_t on;  // swUnderFolder, swFolderName and swAttribute
        int16_t check;
        int16_t dialog;
        const char* archive;
        std::string line;  // "{A}" stands for the archive's absolute name, "{S}" for src's, "{*}"
                           // for the programs' all-files pattern
    };
    const std::vector<std::u16string> list = {u"docs", u"readme.txt"};
    const Case cases[] = {
        {"the rar example", RAR_, list, kTrue, kFalse, kFalse, "out/a.rar",
         "rar a -std  -r {A} docs/{*} readme.txt "},
        {"rar update, shown", RAR_, list, kTrue, kTrue, kTrue, "out/a.rar",
         "rar u -std  -r {A} docs/{*} readme.txt "},
        {"rar switches off", RAR_, list, kFalse, kFalse, kFalse, "out/a.rar",
         "rar a -std  -ep -es -eh {A} docs/{*} readme.txt "},
        {"arj switches off", ARJ_, list, kFalse, kFalse, kFalse, "out/a.arj",
         "arj u  -e -c {A} docs/{*} readme.txt "},
        {"arj switches on", ARJ_, list, kTrue, kTrue, kTrue, "out/a.arj",
         "arj u -r -a {A} docs/{*} readme.txt "},
        {"no list", RAR_, {}, kTrue, kFalse, kFalse, "out/a.rar", "rar a -std  -r {A} {*}"},
        {"a missing name leaves its blank",
         ARJ_,
         {u"docs", u"missing.txt", u"readme.txt"},
         kFalse,
         kTrue,
         kFalse,
         "out/a.arj",
         "arj u  -e {A} docs/{*}  readme.txt "},
        {"only empty entries", ARJ_, {u""}, kFalse, kTrue, kFalse, "out/a.arj", "arj u  -e {A} "},
        {"archive with a blank", RAR_, list, kTrue, kFalse, kFalse, "out/a b.rar",
         "rar a -std  -r \"{A}\" docs/{*} readme.txt "},
        {"names with a blank",
         RAR_,
         {u"two words", u"a b.txt"},
         kTrue,
         kFalse,
         kFalse,
         "out/a.rar",
         "rar a -std  -r {A} \"two words/{*}\" \"a b.txt\" "},
        {"an absolute folder is a file entry",
         ARJ_,
         {U("src/docs")},
         kFalse,
         kTrue,
         kFalse,
         "out/a.arj",
         "arj u  -e {A} {S}/docs "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordedStarts starts;
        state().swUnderFolder = state().swFolderName = state().swAttribute = c.on;
        state().swCheckTimeStamp = c.check;
        state().swDialog = c.dialog;
        control_->pFilesClear();
        for (const auto& file : c.files) {
            control_->pAddFile(u"x");
            control_->put_pFilesList(static_cast<int16_t>(control_->get_pFilesCount() - 1), file);
        }
        state().Error = 1;
        Run(c.kind, c.archive);
        ExpectResult(0, u"");
        ASSERT_EQ(starts.starts.size(), 1u);
        std::string line = c.line;
        line.replace(line.find("{A}"), 3, At(c.archive));
        for (size_t p = line.find("{*}"); p != std::string::npos; p = line.find("{*}"))
            line.replace(p, 3, AllFiles());
        if (const size_t s = line.find("{S}"); s != std::string::npos)
            line.replace(s, 3, At("src"));
        EXPECT_EQ(U8(starts.starts[0].commandLine), line);
        EXPECT_EQ(starts.starts[0].shown, c.dialog != 0);
        EXPECT_EQ(starts.starts[0].cwd, At("src"));
    }
    EXPECT_TRUE(fake_.Calls().empty());
}

TEST_F(Pack, WhatTheProgramStartAnswers) {
    struct Case {
        const char* what;
        uint32_t taskIdentifier;
        bool missing;
        int32_t code;
        std::u16string text;
    };
    const Case cases[] = {
        {"started", 1, false, 0, u""},
        {"no task identifier", 0, false, 65535, u"エラー。 FFFF"},
        {"not found", 1, true, 37120, u"cannot start the program: not found"},
    };
    for (const int32_t kind : {ARJ_, RAR_}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (kind == ARJ_ ? " arj" : " rar"));
            RecordedStarts starts;
            starts.taskIdentifier = c.taskIdentifier;
            starts.programMissing = c.missing;
            control_->pFilesClear();
            control_->pAddFile(u"readme.txt");
            Run(kind, "out/a.arc");
            ExpectResult(c.code, c.text);
            EXPECT_EQ(starts.starts.size(), 1u);
        }
    }
    const std::u16string notFound = u"cannot start the program: not found";
    EXPECT_EQ(messages_.messages(), (std::vector<std::u16string>{notFound, notFound}));
}

TEST_F(Pack, ProgramsPackTheWholeBaseFolderWithoutAList) {
    const StandInPrograms programs(work_.path() / "bin", {"rar"});
    state().swUnderFolder = kTrue;
    Run(RAR_, "out/a.rar");
    EXPECT_EQ(programs.WaitForRun().words,
              (std::vector<std::string>{"rar", "a", "-std", "-r", "-ep", "-es", "-eh",
                                        At("out/a.rar"), AllFiles()}));
}

TEST_F(Pack, ProgramThatCannotRunOrIsMissing) {
    const fs::path bin = work_.Folder("bin");
    const StandInPrograms programs(bin, {"rar"});
    std::ofstream(bin / "arj") << "not a program";
    fs::permissions(bin / "arj", fs::perms::owner_all);
    Run(ARJ_, "out/a.arj");
    ExpectResult(65535, u"エラー。 FFFF");

    fs::remove(bin / "rar");
    Run(RAR_, "out/a.rar");
    EXPECT_EQ(control_->get_Error(), 37120);
    ASSERT_EQ(messages_.messages().size(), 1u);
    EXPECT_EQ(control_->get_Errorstring(), messages_.messages()[0]);
    EXPECT_NE(U8(messages_.messages()[0]).find("rar"), std::string::npos);
}

TEST_F(Pack, FailuresOfTheChecksAndTheLibrary) {
    struct Case {
        const char* what;
        int32_t kind;
        std::string base;
        std::string archive;
        std::vector<std::u16string> files;
        const char* libraryEntry;  // scripted to fail with 0x8018
        int32_t code;
        std::u16string text;
    };
    const Case cases[] = {
        {"missing base",
         LHA_,
         "nowhere",
         "out/a.lzh",
         {},
         nullptr,
         37122,
         u"指定されたパスがありません。"},
        {"empty base", ZIP_, "", "out/a.zip", {}, nullptr, 37122, u"指定されたパスがありません。"},
        {"missing archive folder",
         CAB_,
         "src",
         "gone/a.cab",
         {u"readme.txt"},
         nullptr,
         37123,
         u"指定されたファイルのパスが誤っています。"},
        {"ish into a file",
         ISH_,
         "src",
         "src/readme.txt",
         {u"readme.txt"},
         nullptr,
         37123,
         u"指定されたファイルのパスが誤っています。"},
        {"ish without a file", ISH_, "src", "out", {}, nullptr, 32785, u"Too Many Files"},
        {"ish with two files",
         ISH_,
         "src",
         "out",
         {u"readme.txt", u"docs"},
         nullptr,
         32785,
         u"Too Many Files"},
        {"unknown kind",
         7,
         "src",
         "out/a.x",
         {u"readme.txt"},
         nullptr,
         37121,
         u"サポートされていません。"},
        {"library error",
         TAR_,
         "src",
         "out/a.tar",
         {u"readme.txt"},
         "Tar",
         32792,
         u"書庫を開く事が出来ません。"},
        {"ish library error",
         ISH_,
         "src",
         "out",
         {u"readme.txt"},
         "Ish",
         32792,
         u"書庫を開く事が出来ません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake_.ClearCalls();
        if (c.libraryEntry != nullptr) fake_.Return(c.libraryEntry, 0x8018);
        state().pBaseFolder = c.base.empty() ? u"" : U(c.base);
        control_->pFilesClear();
        for (const auto& file : c.files) control_->pAddFile(file);
        Run(c.kind, c.archive);
        ExpectResult(c.code, c.text);
        EXPECT_EQ(fake_.Calls().size(), c.libraryEntry != nullptr ? 1u : 0u);
        EXPECT_EQ(fs::current_path(), caller_);
        EXPECT_EQ(WorkFilesLeft(), std::vector<std::string>{});
    }
    EXPECT_TRUE(messages_.messages().empty());
}

}  // namespace
}  // namespace quorvex6::testing
