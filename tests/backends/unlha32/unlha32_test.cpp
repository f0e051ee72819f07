// libunlha32 through the real loader, with the command lines the control builds, and the
// archives it writes checked by tools nobody here wrote.
#include <cstring>
#include <set>

#include "backends/unlha32/unlha32_fixture.h"
#include "formats/lha/crc16.h"
#include "formats/lha/header_reader.h"
#include "formats/lha/header_writer.h"
#include "formats/lha/member_io.h"

namespace {

using namespace quorvex6::unlha32_test;

const std::string kJapanese = "日本語.txt";
const std::string kJapaneseSjis = "\x93\xfa\x96\x7b\x8c\xea.txt";

// `utf8_name` adds a file whose name has no Shift_JIS form, so that the archive mixes both.
void MakeTree(const TempDir& d, const std::string& base, bool utf8_name) {
    d.Write(base + "/text.txt", Text(200000));
    d.Write(base + "/empty.txt", "");
    d.Write(base + "/.hidden", "dot file\n");
    d.Write(base + "/" + kJapanese, "名前\n");
    if (utf8_name) d.Write(base + "/emoji-\xF0\x9F\x98\x80.txt", "not in Shift_JIS\n");
    std::string deep = base;
    for (int i = 0; i < 12; ++i) deep += "/level" + std::to_string(i);
    d.Write(deep + "/bottom.txt", Text(3000));
}

// The tree as `tool` should extract it from an archive of `src`.
std::map<std::string, std::string> AsExtractedBy(const Tool& tool,
                                                 std::map<std::string, std::string> src) {
    if (!tool.raw_names) return src;
    auto node = src.extract(kJapanese);
    if (!node.empty()) {
        node.key() = kJapaneseSjis;
        src.insert(std::move(node));
    }
    return src;
}

struct MethodCase {
    const char* jm;
    const char* method;
};

class PackMethods : public Unlha32, public ::testing::WithParamInterface<MethodCase> {};

TEST_P(PackMethods, RoundTripsAndOtherToolsAgree) {
    MakeTree(dir_, "src", true);
    MakeTree(dir_, "sjis", false);
    const std::string opts = std::string("-r2 -x1 -c1 -a1 -f1 -n ") + GetParam().jm;
    const std::string arc = Arc("a.lzh");
    const std::string sjis = Arc("sjis.lzh");
    ASSERT_EQ(Pack(opts, arc, dir_.str() + "/src"), 0) << log_;
    ASSERT_EQ(Pack(opts, sjis, dir_.str() + "/sjis"), 0) << log_;
    ASSERT_EQ(Unpack("-x1 -c1 -a1 -f1 -n", arc, dir_.str() + "/out"), 0) << log_;
    EXPECT_EQ(Tree(dir_.path() / "out"), Tree(dir_.path() / "src"));

    auto entries = Entries(arc);
    ASSERT_TRUE(entries.count("text.txt"));
    EXPECT_STREQ(entries["text.txt"].method, GetParam().method);
    EXPECT_EQ(entries["text.txt"].original_size, 200000u);
    EXPECT_EQ(entries["text.txt"].os_type, 2u);
    EXPECT_STREQ(entries["empty.txt"].method, "-lh0-");
    ASSERT_TRUE(entries.count("level0/"));
    EXPECT_EQ(entries["level0/"].attribute[0], 'd');
    EXPECT_EQ(check_(arc.c_str(), 2), 1);

    // Tools that take every name as Shift_JIS get the archive whose names all are.
    const bool lh1 = std::string(GetParam().jm) == "-jm1";
    for (const Tool& tool : kTools) {
        if (lh1 && !tool.reads_lh1) continue;
        const std::string from = tool.utf8_names ? "src" : "sjis";
        const fs::path out = dir_.path() / (std::string("by-") + tool.name);
        ExtractWith(tool, tool.utf8_names ? arc : sjis, out);
        EXPECT_EQ(Tree(out), AsExtractedBy(tool, Tree(dir_.path() / from))) << tool.name;
        fs::remove_all(out);
    }
    // lhasa's and 7-Zip's listings print the stored bytes; jlha's decodes Shift_JIS.
    EXPECT_NE(Output("lha ly \"" + sjis + "\" 2>&1").find(kJapanese), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Methods, PackMethods,
                         ::testing::Values(MethodCase{"-jm0", "-lh0-"}, MethodCase{"-jm1", "-lh1-"},
                                           MethodCase{"-jm2", "-lh5-"}, MethodCase{"-jm3", "-lh6-"},
                                           MethodCase{"-jm4", "-lh7-"}),
                         [](const auto& info) { return std::string(info.param.method + 1, 3); });

TEST_F(Unlha32, UpdateAddsOnlyWhatIsNewOrNewer) {
    dir_.Write("src/a.txt", "first");
    dir_.Write("src/b.txt", "second");
    const std::string arc = Arc("u.lzh");
    ASSERT_EQ(Pack("-r0 -x0 -a0 -f1 -n -jm2", arc, dir_.str() + "/src"), 0) << log_;
    auto old_time = fs::last_write_time(dir_.path() / "src/a.txt");
    dir_.Write("src/a.txt", "first, changed");
    fs::last_write_time(dir_.path() / "src/a.txt", old_time + std::chrono::hours(1));
    dir_.Write("src/b.txt", "second, changed but older");
    fs::last_write_time(dir_.path() / "src/b.txt", old_time - std::chrono::hours(1));
    dir_.Write("src/c.txt", "third");
    ASSERT_EQ(Pack("-r0 -x0 -a0 -f1 -n -jm2", arc, dir_.str() + "/src"), 0) << log_;
    EXPECT_NE(log_.find("packed a.txt"), std::string::npos);
    EXPECT_EQ(log_.find("packed b.txt"), std::string::npos);
    EXPECT_NE(log_.find("packed c.txt"), std::string::npos);
    ASSERT_EQ(Unpack("-x1 -c1 -f1 -n", arc, dir_.str() + "/out"), 0);
    EXPECT_EQ(Read(dir_.path() / "out/a.txt"), "first, changed");
    EXPECT_EQ(Read(dir_.path() / "out/b.txt"), "second");
    EXPECT_EQ(Read(dir_.path() / "out/c.txt"), "third");
    // -c1 drops the time check: b.txt is replaced although older.
    ASSERT_EQ(Pack("-r0 -x0 -c1 -a0 -f1 -n -jm2", arc, dir_.str() + "/src"), 0);
    ASSERT_EQ(Unpack("-x1 -c1 -f1 -n", arc, dir_.str() + "/out2"), 0);
    EXPECT_EQ(Read(dir_.path() / "out2/b.txt"), "second, changed but older");
    // Hidden files only with -a1.
    dir_.Write("src/.dot", "x");
    ASSERT_EQ(Pack("-r0 -x0 -a0 -f1 -n -jm2", arc, dir_.str() + "/src"), 0);
    EXPECT_EQ(Entries(arc).count(".dot"), 0u);
    ASSERT_EQ(Pack("-r0 -x0 -a1 -f1 -n -jm2", arc, dir_.str() + "/src"), 0);
    EXPECT_EQ(Entries(arc).count(".dot"), 1u);
    // d removes members.
    ASSERT_EQ(Run("d \"" + arc + "\" c.txt"), 0) << log_;
    EXPECT_EQ(Entries(arc).count("c.txt"), 0u);
    EXPECT_EQ(Entries(arc).size(), 3u);
    // Deleting every member leaves an empty archive that takes new members again.
    ASSERT_EQ(Run("d \"" + arc + "\" *.*"), 0) << log_;
    EXPECT_EQ(Entries(arc).size(), 0u);
    ASSERT_EQ(Pack("-r0 -x0 -a0 -f1 -n -jm2", arc, dir_.str() + "/src", "a.txt"), 0) << log_;
    EXPECT_EQ(Entries(arc).size(), 1u);
}

TEST_F(Unlha32, ExtractionSwitches) {
    dir_.Write("src/top.txt", "top");
    dir_.Write("src/sub/inner.txt", "inner");
    const std::string arc = Arc("x.lzh");
    ASSERT_EQ(Pack("-r2 -x1 -c1 -a0 -f1 -n -jm2", arc, dir_.str() + "/src"), 0);
    // -x0 drops folder parts.
    ASSERT_EQ(Unpack("-x0 -c1 -f1 -n", arc, dir_.str() + "/flat"), 0) << log_;
    EXPECT_EQ(Read(dir_.path() / "flat/inner.txt"), "inner");
    EXPECT_FALSE(fs::exists(dir_.path() / "flat/sub"));
    // Without -c1 an existing newer file stays; with it, it is replaced.
    dir_.Write("keep/top.txt", "mine");
    fs::last_write_time(dir_.path() / "keep/top.txt",
                        fs::file_time_type::clock::now() + std::chrono::hours(24));
    EXPECT_EQ(Unpack("-x1 -f1 -n", arc, dir_.str() + "/keep"), 0) << log_;
    EXPECT_EQ(Read(dir_.path() / "keep/top.txt"), "mine");
    EXPECT_EQ(Unpack("-x1 -c1 -f1 -n", arc, dir_.str() + "/keep"), 0);
    EXPECT_EQ(Read(dir_.path() / "keep/top.txt"), "top");
    // A name selects what it names; "x" keeps folder parts as "e -x1" does.
    ASSERT_EQ(Run("x \"" + arc + "\" \"" + dir_.str() + "/sel/\" sub/inner.txt"), 0) << log_;
    EXPECT_TRUE(fs::exists(dir_.path() / "sel/sub/inner.txt"));
    EXPECT_FALSE(fs::exists(dir_.path() / "sel/top.txt"));
}

TEST_F(Unlha32, ResultCodesForWhatCannotBeDone) {
    dir_.Write("src/a.txt", Text(50000));
    dir_.Write("src/b.txt", "bee");
    const std::string arc = Arc("r.lzh");
    const std::string q = " \"" + arc + "\" ";
    const std::string o = "\"" + dir_.str() + "/o/\"";
    ASSERT_EQ(Pack("-r0 -x0 -c1 -a0 -f1 -n -jm2", arc, dir_.str() + "/src", "a.txt"), 0);
    struct Case {
        std::string line;
        int32_t code;
        std::string log_has = "";
    };
    for (const Case& c : std::vector<Case>{
             {"s -gw" + q + "\"" + dir_.str() + "/\"", 0x8023},
             {"s -gw3 -o" + q + "\"" + dir_.str() + "/\"", 0x8023},
             {"e -zz" + q + o, 0x801C},
             {"e -jm9" + q + o, 0x801C},
             {"e -nfoo" + q + o, 0x801C},
             {"e -n2" + q + o, 0x801C},
             {"e -gwx" + q + o, 0x801C},
             {"e -jw4" + q + o, 0x801C},
             {"e -jp2" + q + o, 0x801C},
             {"e -n -n1 -n0 -gw -gw3 -jw -jw3 -f1 -c1" + q + o, 0, "extracted a.txt"},
             {"e -jp1 -f1 -c1" + q + o, 0, "extracted a.txt"},
             {"q" + q, 0x801C},
             {"e \"" + dir_.str() + "/missing.lzh\" " + o, 0x8018},
             {"e \"" + dir_.str() + "/src/a.txt\" " + o, 0x801B},
             {"l" + q, 0, "a.txt"},
             {"t" + q, 0, "ok     a.txt"},
             {"a -jm4 -jp1" + q + "\"" + dir_.str() + "/src/\" b.txt", 0, "b.txt"},
             {"l" + q + "b.txt", 0, "-lh0-"},
         }) {
        EXPECT_EQ(Run(c.line), c.code) << c.line;
        EXPECT_NE(log_.find(c.log_has), std::string::npos) << c.line << "\n" << log_;
    }
    EXPECT_GE(version_(), 100);
    EXPECT_EQ(running_(), 0);
    EXPECT_EQ(check_((dir_.str() + "/src/a.txt").c_str(), 0), 0);
    for (int mode : {0, 1, 2}) EXPECT_EQ(check_(arc.c_str(), mode), 1) << mode;
}

// A member that declares 4 TiB, and packed data that could hold it: without -f1 nothing is
// attempted, whether the destination exists yet or not, and the log says what did not fit.
TEST_F(Unlha32, FreeSpaceIsCheckedBeforeAnythingIsWritten) {
    using namespace quorvex6::backend::lha;
    const uint64_t declared = uint64_t{1} << 42;
    if (fs::space(dir_.path()).available >= declared) GTEST_SKIP() << "more space than declared";
    Entry e;
    e.name = "huge.bin";
    e.mtime = 1700000000;
    HeaderBytes h = BuildLevel2Header(e, true);
    const std::string data = Text((1 << 20) + (1 << 16));  // enough to hold 4 TiB of matches
    const auto* d = reinterpret_cast<const uint8_t*>(data.data());
    ASSERT_TRUE(PatchHeader(h, "lh5", data.size(), declared, Crc16Update(0, d, data.size())));
    dir_.Write("huge.lzh", std::string(h.bytes.begin(), h.bytes.end()) + data + '\0');
    fs::create_directories(dir_.path() / "exists");
    struct Case {
        const char* opts;
        const char* dest;
        int32_t code;
    };
    for (const Case& c :
         {Case{"-x1 -c1 -n", "exists", 0x8005}, Case{"-x1 -c1 -n", "not/yet/there", 0x8005},
          Case{"-x1 -c1 -f1 -n", "unchecked", 0x8014}}) {
        EXPECT_EQ(Unpack(c.opts, Arc("huge.lzh"), dir_.str() + "/" + c.dest), c.code)
            << c.dest << "\n"
            << log_;
        EXPECT_FALSE(fs::exists(dir_.path() / c.dest / "huge.bin")) << c.dest;
        EXPECT_EQ(log_.find("failed huge.bin") == std::string::npos, c.code == 0x8005) << c.dest;
        if (c.code == 0x8005) {
            const std::string named = "largest member is huge.bin (" + std::to_string(declared);
            EXPECT_NE(log_.find(named), std::string::npos) << log_;
        }
    }
    EXPECT_FALSE(fs::exists(dir_.path() / "not"));
}

TEST_F(Unlha32, DamagedArchivesGiveCodesAndLeaveNoFiles) {
    dir_.Write("src/a.txt", Text(80000));
    const std::string arc = Arc("d.lzh");
    ASSERT_EQ(Pack("-r0 -x0 -c1 -a0 -f1 -n -jm2", arc, dir_.str() + "/src"), 0);
    std::string good = Read(arc);
    struct Case {
        const char* what;
        size_t at;
        int32_t extract_code;
        int check_every_header;
        int check_every_value;
    };
    for (const Case& c : {Case{"data", good.size() / 2, 0, 1, 0}, Case{"name", 33, 0x8016, 0, 0}}) {
        std::string bad = good;
        bad[c.at] ^= 0x21;
        dir_.Write("bad.lzh", bad);
        const std::string b = Arc("bad.lzh");
        EXPECT_EQ(check_(b.c_str(), 1), c.check_every_header) << c.what;
        EXPECT_EQ(check_(b.c_str(), 2), c.check_every_value) << c.what;
        EXPECT_NE(Run("t \"" + b + "\""), 0) << c.what;
        int32_t code = Unpack("-x1 -c1 -f1 -n", b, dir_.str() + "/o");
        if (c.extract_code != 0) {
            EXPECT_EQ(code, c.extract_code) << c.what;
        } else {
            EXPECT_TRUE(code == 0x800C || code == 0x8014) << c.what << " " << code;
        }
        EXPECT_FALSE(fs::exists(dir_.path() / "o/a.txt")) << c.what;
    }
    dir_.Write("cut.lzh", good.substr(0, good.size() - 100));
    EXPECT_EQ(Unpack("-x1 -c1 -f1 -n", Arc("cut.lzh"), dir_.str() + "/o"), 0x8014);
    EXPECT_FALSE(fs::exists(dir_.path() / "o/a.txt"));
}

// Members are decoded on worker threads that report back in batches: however many members
// there are, every good one is extracted and logged, and one damaged member gives its code.
TEST_F(Unlha32, EveryMemberIsReportedWhateverTheirNumber) {
    for (int count : {1, 3, 4, 5, 41}) {
        const std::string src = dir_.str() + "/src" + std::to_string(count);
        for (int i = 0; i < count; ++i) {
            dir_.Write("src" + std::to_string(count) + "/m" + std::to_string(i) + ".txt",
                       "member " + std::to_string(i) + " of " + std::to_string(count) + Text(300));
        }
        const std::string arc = Arc("n" + std::to_string(count) + ".lzh");
        ASSERT_EQ(Pack("-r0 -x0 -c1 -a0 -f1 -n -jm0", arc, src), 0) << log_;
        const int damaged = count / 2;
        std::string bytes = Read(arc);
        const size_t at = bytes.find("member " + std::to_string(damaged) + " of ");
        ASSERT_NE(at, std::string::npos);
        bytes[at] ^= 0x20;
        dir_.Write("bad.lzh", bytes);
        const std::string out = dir_.str() + "/out" + std::to_string(count);
        EXPECT_EQ(Unpack("-x1 -c1 -f1 -n", Arc("bad.lzh"), out), 0x800C) << count << "\n" << log_;
        for (int i = 0; i < count; ++i) {
            const std::string name = "m" + std::to_string(i) + ".txt";
            EXPECT_EQ(fs::exists(out + "/" + name), i != damaged) << count << " " << name;
            EXPECT_EQ(log_.find("extracted " + name) != std::string::npos, i != damaged)
                << count << " " << name;
        }
    }
}

TEST_F(Unlha32, NamesThatLeadOutAreRefused) {
    using namespace quorvex6::backend::lha;
    struct Output final : quorvex6::backend::io::RandomOutput {
        std::string bytes;
        bool write_at(uint64_t offset, const void* data, size_t n) override {
            if (bytes.size() < offset + n) bytes.resize(offset + n);
            std::memcpy(bytes.data() + offset, data, n);
            return true;
        }
    } out;
    for (const char* name : {"../evil.txt", "/tmp/qv-evil-absolute.txt", "fine.txt"}) {
        Entry e;
        e.name = name;
        e.mtime = 1700000000;
        ASSERT_NO_THROW(PackMember(out, e, nullptr, "lh5"));
    }
    WriteEnd(out);
    dir_.Write("evil.lzh", out.bytes);
    EXPECT_EQ(Unpack("-x1 -c1 -f1 -n", Arc("evil.lzh"), dir_.str() + "/in/o"), 0x8030) << log_;
    EXPECT_FALSE(fs::exists(dir_.path() / "in/evil.txt"));
    EXPECT_FALSE(fs::exists("/tmp/qv-evil-absolute.txt"));
    EXPECT_TRUE(fs::exists(dir_.path() / "in/o/fine.txt"));
}

// Members larger than a packing worker's memory stream into the archive in their turn.
TEST_F(Unlha32, LargeMembersStreamIntoTheArchive) {
    std::string noise(12 << 20, '\0');
    unsigned v = 1;
    for (char& c : noise) {
        v = v * 1103515245 + 12345;
        c = static_cast<char>(v >> 23);
    }
    dir_.Write("src/a-noise.bin", noise);
    dir_.Write("src/b-text.txt", Text(1 << 20));
    dir_.Write("src/c-small.txt", "small");
    const std::string arc = Arc("big.lzh");
    ASSERT_EQ(Pack("-r0 -x0 -c1 -a0 -f1 -n -jm4", arc, dir_.str() + "/src"), 0) << log_;
    auto entries = Entries(arc);
    EXPECT_STREQ(entries["a-noise.bin"].method, "-lh0-");
    EXPECT_STREQ(entries["b-text.txt"].method, "-lh7-");
    ASSERT_EQ(Unpack("-x1 -c1 -f1 -n", arc, dir_.str() + "/out"), 0) << log_;
    EXPECT_TRUE(Tree(dir_.path() / "out") == Tree(dir_.path() / "src"));
    ExtractWith(kTools[1], arc, dir_.path() / "by-lhasa");
    EXPECT_TRUE(Tree(dir_.path() / "by-lhasa") == Tree(dir_.path() / "src"));
}

// 100 MB in 1 MiB pieces of text, noise, runs and copies of earlier pieces (beyond every window).
void WriteMixed(const fs::path& path, size_t mib) {
    fs::create_directories(path.parent_path());
    std::ofstream f(path, std::ios::binary);
    std::vector<std::string> kept;
    uint64_t v = 88172645463325252ull;
    for (size_t i = 0; i < mib; ++i) {
        std::string piece;
        switch (i % 5) {
            case 0:
            case 1:
                piece = Text(1 << 20);
                break;
            case 2:
                piece.resize(1 << 20);
                for (char& c : piece) {
                    v ^= v << 13, v ^= v >> 7, v ^= v << 17;
                    c = static_cast<char>(v);
                }
                break;
            case 3:
                piece = std::string(1 << 20, static_cast<char>(i));
                break;
            default:
                piece = kept[i % kept.size()];
                piece[i % piece.size()] ^= 1;
        }
        f.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        if (kept.size() < 4) kept.push_back(std::move(piece));
    }
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (fa && fb) {
        fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        const auto n = fa.gcount();
        if (n != fb.gcount() || std::memcmp(ba.data(), bb.data(), static_cast<size_t>(n)) != 0)
            return false;
    }
    return fa.eof() && fb.eof();
}

// Under AddressSanitizer this takes minutes; QV_LHA_HUGE=1 runs it there too.
TEST_F(Unlha32, HundredMegabytesComeBackThroughEveryTool) {
    if (kSanitized && std::getenv("QV_LHA_HUGE") == nullptr) GTEST_SKIP() << "QV_LHA_HUGE unset";
    WriteMixed(dir_.path() / "src/big.bin", 100);
    for (const char* jm : {"-jm2", "-jm4"}) {
        const std::string arc = Arc(std::string("big") + jm + ".lzh");
        ASSERT_EQ(Pack(std::string("-r0 -x0 -c1 -a0 -f1 -n ") + jm, arc, dir_.str() + "/src"), 0)
            << log_;
        for (const Tool& tool : kTools) {
            const fs::path out = dir_.path() / (std::string("by-") + tool.name);
            ExtractWith(tool, arc, out);
            EXPECT_TRUE(SameFile(out / "big.bin", dir_.path() / "src/big.bin")) << tool.name << jm;
            fs::remove_all(out);
        }
        fs::remove(arc);
    }
}

TEST_F(Unlha32, ReadsEveryArchiveJlhaWrote) {
    const std::string data = std::string(QV_TEST_DATA_DIR) + "/lha/";
    for (const char* m : {"lh0", "lh5", "lh6", "lh7"}) {
        for (int level = 0; level <= 2; ++level) {
            const std::string arc = data + m + "-level" + std::to_string(level) + "-jlha.lzh";
            for (int mode : {0, 1, 2}) EXPECT_EQ(check_(arc.c_str(), mode), 1) << arc << mode;
            const std::string out = dir_.str() + "/" + m + std::to_string(level);
            ASSERT_EQ(Unpack("-x1 -c1 -f1 -n", arc, out), 0) << arc << log_;
            EXPECT_EQ(Tree(out), Tree(data + "files")) << arc;
        }
    }
}

}  // namespace
