// cab32 making cabinets that tools nobody here wrote read byte for byte.
#include <sys/resource.h>

#include <algorithm>

#include "backends/support/backend_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

class CabPack : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        WriteAll(src() / "readme.txt", "Quorvex6\nline two\n");
        std::string numbers;
        for (int i = 0; i < 40000; ++i) numbers += std::to_string(i) + "\n";
        WriteAll(src() / "nested/numbers.txt", numbers);  // several blocks, history used
        std::string noise;
        uint32_t state = 7;
        for (int i = 0; i < 70000; ++i) {
            state = state * 1103515245u + 12345u;
            noise.push_back(static_cast<char>(state >> 24));
        }
        WriteAll(src() / "nested/deeper/noise.bin", noise);  // stored blocks
        WriteAll(src() / "\xE6\x97\xA5\xE6\x9C\xAC/\xE8\xAA\x9E.txt", "utf8 name\n");
        WriteAll(src() / "empty.txt", "");
    }
    int32_t Pack(const std::string& opts, const fs::path& archive,
                 const std::string& names = "*.*") {
        return cab_.Command(
            "Cab", "-a " + opts + " " + Quote(archive) + " " + QuoteFolder(src()) + " " + names,
            &log_);
    }
    fs::path src() const { return root_ / "src"; }

    struct Reader {
        const char* tool;
        std::string command;  // %A the cabinet, %D the destination
    };
    // Each installed reader extracts `archive` to exactly the source tree.
    template <std::size_t N>
    void ExpectReadersExtract(const Reader (&readers)[N], const fs::path& archive,
                              const std::string& method) {
        for (const Reader& reader : readers) {
            if (RunTool(std::string("command -v ") + reader.tool) != 0) continue;
            fs::path dest = root_ / (std::string(reader.tool) + method);
            fs::create_directories(dest);
            std::string command = reader.command;
            command.replace(command.find("%D"), 2, Quote(dest));
            command.replace(command.find("%A"), 2, Quote(archive));
            EXPECT_EQ(RunTool(command), 0) << reader.tool << method;
            EXPECT_EQ(ReadTree(dest), ReadTree(src())) << reader.tool << method;
        }
    }
    BackendLibrary cab_{"cab32"};
    std::string log_;
};

TEST_F(CabPack, OtherReadersExtractEveryMethodByteForByte) {
    const Reader readers[] = {
        {"cabextract", "cabextract -q -d %D %A"},
        {"7zz", "7zz x -o%D %A"},
        {"bsdtar", "bsdtar -x -C %D -f %A"},
        {"gcab", "cd %D && gcab -x %A"},
    };
    for (const char* method :
         {"-mz", "-ms", "-ml:15", "-ml:16", "-ml:17", "-ml:18", "-ml:19", "-ml:20", "-ml:21"}) {
        fs::path archive = root_ / (std::string("t") + method + ".cab");
        ASSERT_EQ(Pack(std::string("-r -i ") + method, archive), 0) << method << ": " << log_;
        ExpectReadersExtract(readers, archive, method);
        fs::path ours = root_ / (std::string("ours") + method);
        EXPECT_EQ(cab_.Command("Cab", "-x -i " + Quote(archive) + " " + QuoteFolder(ours) + " *.*"),
                  0);
        EXPECT_EQ(ReadTree(ours), ReadTree(src())) << method;
        EXPECT_EQ(cab_.Get<QvCheckArchiveFn>("CabCheckArchive")(archive.c_str(), 2), 1) << method;
    }
}

// No other tool writes Quantum, so the readers that know it are the only judges.
TEST_F(CabPack, QuantumCabinetsOfEveryLevelReadByteForByte) {
    const Reader readers[] = {
        {"cabextract", "cabextract -q -d %D %A"},
        {"7zz", "7zz x -o%D %A"},
    };
    for (char level = '1'; level <= '7'; ++level) {
        std::string name = std::string("q") + level;  // no ':' in paths: 7zz reads it as a stream
        fs::path archive = root_ / (name + ".cab");
        ASSERT_EQ(Pack(std::string("-r -i -mq:") + level, archive), 0) << name << ": " << log_;
        ExpectReadersExtract(readers, archive, name);
        EXPECT_EQ(cab_.Get<QvCheckArchiveFn>("CabCheckArchive")(archive.c_str(), 2), 1) << name;
    }
    // cabextract's own test pass checks every block against what it decodes.
    if (RunTool("command -v cabextract") == 0) {
        EXPECT_EQ(RunTool("cabextract -q -t " + Quote(root_ / "q7.cab")), 0);
    }
}

// Each file comes out whole whichever way it goes: alone in its folder (decoded beside the
// others), or sharing one, small enough to be made from memory or larger.
TEST_F(CabPack, OurExtractionOfManyAndLargeFiles) {
    std::string large;
    for (int i = 0; large.size() < (5u << 20) / 4; ++i) large += std::to_string(i * 7919) + ",";
    WriteAll(src() / "large/a.txt", large);
    WriteAll(src() / "large/b.txt", large.substr(1000));
    for (int i = 0; i < 300; ++i)
        WriteAll(src() / "many" / (std::to_string(i) + ".txt"),
                 std::string(static_cast<std::size_t>(i) * 37, static_cast<char>('a' + i % 26)));
    for (const char* method : {"-mz", "-ms", "-ml:17", "-mq:1"}) {
        std::string name = std::string("own") + (method + 2);
        name.erase(std::remove(name.begin(), name.end(), ':'), name.end());
        fs::path archive = root_ / (name + ".cab");
        ASSERT_EQ(Pack(std::string("-r -i ") + method, archive), 0) << method << ": " << log_;
        fs::path dest = root_ / (name + "-x");
        EXPECT_EQ(cab_.Command("Cab", "-x -i " + Quote(archive) + " " + QuoteFolder(dest) + " *.*",
                               &log_),
                  0)
            << method << ": " << log_;
        EXPECT_EQ(ReadTree(dest), ReadTree(src())) << method;
    }
}

// A block that fails its checksum costs only its own file, on whichever thread it is decoded.
TEST_F(CabPack, ABadBlockCostsOnlyItsFile) {
    for (int i = 0; i < 40; ++i)
        WriteAll(src() / "many" / (std::to_string(i) + ".txt"), "file number " + std::to_string(i));
    fs::path archive = root_ / "s.cab";
    ASSERT_EQ(Pack("-r -i -ms", archive), 0) << log_;
    std::string bytes = ReadAll(archive);
    std::size_t at = bytes.find("file number 17");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'F';
    WriteAll(archive, bytes);
    fs::path dest = root_ / "x";
    EXPECT_EQ(
        cab_.Command("Cab", "-x -i " + Quote(archive) + " " + QuoteFolder(dest) + " *.*", &log_),
        result::kCrcMismatch)
        << log_;
    auto expected = ReadTree(src());
    expected.erase("many/17.txt");
    EXPECT_EQ(ReadTree(dest), expected);
}

// A folder whose files are all empty has no blocks; readers still take its files.
TEST_F(CabPack, QuantumFolderOfEmptyFilesReads) {
    for (const char* gone : {"readme.txt", "nested", "\xE6\x97\xA5\xE6\x9C\xAC"})
        fs::remove_all(src() / gone);
    WriteAll(src() / "empty2.txt", "");
    const Reader readers[] = {
        {"cabextract", "cabextract -q -d %D %A"},
        {"7zz", "7zz x -o%D %A"},
    };
    fs::path archive = root_ / "e.cab";
    ASSERT_EQ(Pack("-i -mq:7", archive), 0) << log_;
    ExpectReadersExtract(readers, archive, "e");
    EXPECT_EQ(cab_.Get<QvCheckArchiveFn>("CabCheckArchive")(archive.c_str(), 2), 1);
}

TEST_F(CabPack, CompressionHelpsAndDoesNotHurt) {
    ASSERT_EQ(Pack("-r -i -mz", root_ / "z.cab", "*.bin nested\\numbers.txt"), 0) << log_;
    ASSERT_EQ(Pack("-r -i -ms", root_ / "s.cab", "*.bin nested\\numbers.txt"), 0) << log_;
    auto z = fs::file_size(root_ / "z.cab"), s = fs::file_size(root_ / "s.cab");
    EXPECT_LT(z, s - 120000);  // the numbers shrink to well under half
    EXPECT_GT(z, 70000u);      // the noise stays about its size
}

TEST_F(CabPack, NamesFoldersAndRecursion) {
    struct Case {
        const char* name;
        std::string opts, names;
        std::vector<std::string> stored;
    };
    const Case cases[] = {
        {"top level only", "-i", "*.*", {"empty.txt", "readme.txt"}},
        {"recursive",
         "-r -i",
         "*.txt",
         {"empty.txt", "nested/numbers.txt", "readme.txt",
          "\xE6\x97\xA5\xE6\x9C\xAC/\xE8\xAA\x9E.txt"}},
        {"a named file", "-i", "nested\\numbers.txt", {"nested/numbers.txt"}},
    };
    for (const Case& c : cases) {
        fs::path archive = root_ / "n.cab";
        fs::remove(archive);
        ASSERT_EQ(Pack(c.opts, archive, c.names), 0) << c.name << ": " << log_;
        QvArchive h = cab_.Get<QvOpenArchiveFn>("CabOpenArchive")(0, archive.c_str(), 0);
        ASSERT_NE(h, QvArchive{}) << c.name;
        std::vector<std::string> stored;
        QvEntryInfo info;
        for (int32_t rc = cab_.Get<QvFindFirstFn>("CabFindFirst")(h, "*.*", &info); rc == 0;
             rc = cab_.Get<QvFindNextFn>("CabFindNext")(h, &info))
            stored.push_back(info.name);
        cab_.Get<QvCloseArchiveFn>("CabCloseArchive")(h);
        std::sort(stored.begin(), stored.end());
        std::vector<std::string> expected = c.stored;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(stored, expected) << c.name;
    }
}

// A cabinet cannot be updated: -a makes it anew beside the old one and replaces it when done.
TEST_F(CabPack, AddingToACabinetMakesItAnew) {
    fs::path archive = root_ / "a.cab";
    ASSERT_EQ(Pack("-i", archive, "readme.txt"), 0) << log_;
    ASSERT_EQ(Pack("-i", archive, "empty.txt"), 0) << log_;
    fs::path dest = root_ / "dest";
    EXPECT_EQ(cab_.Command("Cab", "-x -i " + Quote(archive) + " " + QuoteFolder(dest) + " *.*"), 0);
    EXPECT_EQ(ReadTree(dest), (std::map<std::string, std::string>{{"empty.txt", ""}}));

    // Nothing to pack leaves the old cabinet as it was.
    std::string before = ReadAll(archive);
    EXPECT_EQ(Pack("-i", archive, "missing.txt"), result::kFileNotFound);
    EXPECT_EQ(ReadAll(archive), before);
}

TEST_F(CabPack, ANamePastTheLimitIsSkippedAndTheRestPacked) {
    WriteAll(src() / std::string(200, 'd') / (std::string(52, 'n') + ".txt"),
             "256 bytes with the '\\'");
    fs::path archive = root_ / "l.cab";
    EXPECT_EQ(Pack("-r -i", archive, "*.txt"), result::kPathTooLong) << log_;
    fs::path dest = root_ / "dest";
    EXPECT_EQ(cab_.Command("Cab", "-x -i " + Quote(archive) + " " + QuoteFolder(dest) + " *.*"), 0);
    EXPECT_EQ(ReadTree(dest).size(), 6u);  // the four files and their two folders
}

// -v:N makes cabinets of at most N KiB that readers of sets follow; ours follows names in
// any case and, without a cabinet, still extracts what lies before it.
TEST_F(CabPack, SetsOfCabinets) {
    for (const char* method : {"-mz", "-ms", "-ml:16", "-mq:4"}) {
        fs::path set = root_ / method;
        fs::create_directories(set);
        ASSERT_EQ(Pack(std::string("-r -i -v:16 ") + method, set / "t.cab"), 0) << log_;
        std::vector<fs::path> cabinets = {set / "t.cab"};
        for (int k = 2; fs::exists(set / ("t" + std::to_string(k) + ".cab")); ++k)
            cabinets.push_back(set / ("t" + std::to_string(k) + ".cab"));
        EXPECT_GE(cabinets.size(), 3u) << method;
        for (const fs::path& cabinet : cabinets) EXPECT_LE(fs::file_size(cabinet), 16384u);
        for (const char* tool : {"cabextract -q -d %D %A", "7zz x -o%D %A"}) {
            std::string command = tool;
            if (RunTool("command -v " + command.substr(0, command.find(' '))) != 0) continue;
            fs::path dest = root_ / (command.substr(0, 3) + method);
            command.replace(command.find("%D"), 2, Quote(dest));
            command.replace(command.find("%A"), 2, Quote(cabinets[0]));
            EXPECT_EQ(RunTool(command), 0) << command;
            EXPECT_EQ(ReadTree(dest), ReadTree(src())) << command;
        }
        fs::rename(cabinets[1], set / "T2.CAB");
        fs::path ours = root_ / (std::string("ours") + method);
        EXPECT_EQ(
            cab_.Command("Cab", "-x -i " + Quote(cabinets[0]) + " " + QuoteFolder(ours) + " *.*"),
            0);
        EXPECT_EQ(ReadTree(ours), ReadTree(src())) << method;
        EXPECT_EQ(cab_.Get<QvCheckArchiveFn>("CabCheckArchive")(cabinets[0].c_str(), 2), 1);

        fs::remove(cabinets.back());
        fs::path cut = root_ / (std::string("cut") + method);
        EXPECT_EQ(
            cab_.Command("Cab", "-x -i " + Quote(cabinets[0]) + " " + QuoteFolder(cut) + " *.*"),
            result::kArchiveDataMissing);
        // What lies wholly before the missing cabinet comes out whole.
        std::map<std::string, std::string> all = ReadTree(src()), some = ReadTree(cut);
        EXPECT_LT(some.size(), all.size()) << method;
        EXPECT_GE(some.size(), 2u) << method;
        for (const auto& [name, data] : some) EXPECT_EQ(data, all[name]) << method << name;
    }
    EXPECT_EQ(Pack("-i -v:0", root_ / "one.cab"), 0);  // one cabinet
    EXPECT_FALSE(fs::exists(root_ / "one2.cab"));
}

// A set of more cabinets than the process may have files open is written and read whole.
TEST_F(CabPack, ASetOfMoreCabinetsThanOpenFiles) {
    struct rlimit old_limit;
    getrlimit(RLIMIT_NOFILE, &old_limit);
    struct rlimit small = {64, old_limit.rlim_max};
    setrlimit(RLIMIT_NOFILE, &small);
    fs::path ours = root_ / "ours";
    int32_t packed = Pack("-r -i -ms -v:1", root_ / "t.cab");
    int32_t extracted =
        cab_.Command("Cab", "-x -i " + Quote(root_ / "t.cab") + " " + QuoteFolder(ours) + " *.*");
    setrlimit(RLIMIT_NOFILE, &old_limit);
    ASSERT_EQ(packed, 0) << log_;
    EXPECT_TRUE(fs::exists(root_ / "t200.cab"));
    EXPECT_EQ(extracted, 0);
    EXPECT_TRUE(ReadTree(ours) == ReadTree(src()));
    if (RunTool("command -v cabextract") == 0) {
        fs::path theirs = root_ / "theirs";
        EXPECT_EQ(RunTool("cabextract -q -d " + Quote(theirs) + " " + Quote(root_ / "t.cab")), 0);
        EXPECT_TRUE(ReadTree(theirs) == ReadTree(src()));
    }
}

}  // namespace
}  // namespace quorvex6::testing
