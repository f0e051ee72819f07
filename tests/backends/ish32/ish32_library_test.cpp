// libish32 through the real loader, as the control calls it: the reference vectors encoded byte
// for byte and decoded back, damaged texts repaired or refused, restore modes, names, listings.
#include <fcntl.h>
#include <sys/stat.h>

#include <random>

#include "backends/support/backend_library.h"
#include "codecs/ish/ish.h"
#include "io/memory.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;
namespace ish = quorvex6::backend::codecs::ish;

constexpr int64_t kVectorTime = 1704164646;  // 2024-01-02 03:04:06 UTC; the suite runs in UTC

const char* const kInputs[] = {"e0.bin", "e1.bin", "t100.txt", "r5000.bin", "README.TXT"};

struct VariantCase {
    const char* folder;  // below tests/data/ish
    const char* ish_switch;
    const char* type;  // as the listing names it
};
const VariantCase kVariants[] = {{"jis7", "/s7", "jis7"},
                                 {"jis8", "/s", "jis8"},
                                 {"sjis", "/ss", "shift_jis"},
                                 {"njis", "/sn", "non-kana"}};

void SetTime(const fs::path& file, int64_t mtime) {
    struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

int64_t TimeOf(const fs::path& file) {
    struct stat info {};
    return stat(file.c_str(), &info) == 0 ? info.st_mtime : -1;
}

std::string WithoutFirstLine(const std::string& text) { return text.substr(text.find('\n') + 1); }

std::string Base(const std::string& name) { return name.substr(0, name.rfind('.')); }

class Ish32 : public ScratchTest {
  protected:
    int32_t Ish(const std::string& line) const {
        return lib_.Get<QvIshCommandFn>("Ish")(0, line.c_str());
    }
    // The listing in a buffer of `size`, as the control asks for it.
    int32_t List(const fs::path& text, std::string* listing, uint16_t size = 21060) const {
        std::vector<char> buffer(size, '\0');
        int32_t code = lib_.Get<QvIshFileListFn>("IshFileList")(text.c_str(), buffer.data(), size);
        *listing = std::string(buffer.data());
        return code;
    }
    int32_t Check(const fs::path& text, int32_t mode) const {
        return lib_.Get<QvCheckArchiveFn>("IshCheckArchive")(text.c_str(), mode);
    }
    // The text of `data` under `name`, written by the codec itself.
    fs::path MakeText(const std::string& name, const std::string& data,
                      ish::Variant variant = ish::Variant::kJis7, std::string short_name = "") {
        ish::FileInfo info;
        info.name = name;
        info.short_name = std::move(short_name);
        info.size = static_cast<uint32_t>(data.size());
        info.dos_time = 0x58221883;
        info.variant = variant;
        backend::io::MemorySource source(
            std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
        std::vector<uint8_t> bytes;
        backend::io::VectorSink sink(bytes);
        EXPECT_EQ(ish::MakeEncoder(info)->encode(source, sink, UINT64_MAX),
                  backend::codecs::Status::kOk);
        fs::path text = root_ / "texts" / (name.substr(name.rfind('/') + 1) + ".ish");
        WriteAll(text, std::string(bytes.begin(), bytes.end()));
        return text;
    }
    BackendLibrary lib_{"ish32"};
};

TEST_F(Ish32, VersionAndIdleFlag) {
    EXPECT_GE(lib_.Get<QvGetVersion32Fn>("IshGetVersion")(), 100);
    EXPECT_EQ(lib_.Get<QvGetRunningFn>("IshGetRunning")(), 0);
}

TEST_F(Ish32, EncodesEveryVectorByteForByte) {
    for (const char* input : kInputs) {
        fs::path file = root_ / "in" / input;
        WriteAll(file, ReadAll(TestData(std::string("ish/inputs/") + input)));
        SetTime(file, kVectorTime);
        for (const VariantCase& v : kVariants) {
            SCOPED_TRACE(std::string(v.folder) + "/" + input);
            fs::path out = root_ / "out" / v.folder;
            fs::create_directories(out);
            ASSERT_EQ(Ish("/s " + file.string() + " " + v.ish_switch + " /f=" + out.string()), 0);
            std::string name = Base(input) + ".ish";
            std::string ours = ReadAll(out / name);
            std::string theirs = ReadAll(TestData(std::string("ish/") + v.folder + "/" + name));
            EXPECT_EQ(WithoutFirstLine(ours), WithoutFirstLine(theirs));
            EXPECT_EQ(ours.rfind(std::string("<<< ") + input + " for UNIX ( use ", 0), 0u) << ours;
        }
    }
}

TEST_F(Ish32, RestoresEveryVector) {
    for (const VariantCase& v : kVariants) {
        for (const char* input : kInputs) {
            SCOPED_TRACE(std::string(v.folder) + "/" + input);
            fs::path out = root_ / v.folder;
            fs::create_directories(out);
            fs::path text = TestData(std::string("ish/") + v.folder + "/" + Base(input) + ".ish");
            ASSERT_EQ(Ish(" /a " + text.string() + " /f=" + out.string()), 0);
            EXPECT_EQ(ReadAll(out / input), ReadAll(TestData(std::string("ish/inputs/") + input)));
            EXPECT_EQ(TimeOf(out / input), kVectorTime);
            EXPECT_EQ(Check(text, 2), 1);
        }
    }
}

TEST_F(Ish32, DamagedTextsAreRepairedOrRefusedWithNothingLeft) {
    struct Case {
        const char* file;
        const char* restored;  // "" when refused
        int32_t code;
    };
    const Case cases[] = {
        {"r5000-jis7-lost1.ish", "r5000.bin", 0},
        {"r5000-jis7-garbled2.ish", "r5000.bin", 0},
        {"r5000-jis7-data-and-vertical.ish", "r5000.bin", 0},
        {"r5000-jis7-header-copies.ish", "r5000.bin", 0},
        {"r5000-sjis-garbled2.ish", "r5000.bin", 0},
        {"t100-jis7-lost2.ish", "t100.txt", 0},
        {"r5000-jis7-lost3-unrepairable.ish", "", result::kBrokenData},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        fs::path out = root_ / c.file;
        fs::create_directories(out);
        fs::path text = TestData(std::string("ish/damaged/") + c.file);
        EXPECT_EQ(Ish(" /a " + text.string() + " /f=" + out.string()), c.code);
        EXPECT_EQ(Check(text, 2), c.code == 0 ? 1 : 0);
        EXPECT_EQ(Check(text, 1), 1);
        if (*c.restored == '\0') {
            EXPECT_TRUE(fs::is_empty(out));
        } else {
            EXPECT_EQ(ReadAll(out / c.restored),
                      ReadAll(TestData(std::string("ish/inputs/") + c.restored)));
        }
    }
}

TEST_F(Ish32, RestoreModesKeepOrReplaceWhatIsThere) {
    fs::path text = TestData("ish/jis7/t100.ish");
    const std::string original = ReadAll(TestData("ish/inputs/t100.txt"));
    struct Case {
        const char* mode;
        int64_t existing_time;
        bool replaced;
    };
    const Case cases[] = {
        {"/r", kVectorTime - 10, true},   // older: restored
        {"/r", kVectorTime, false},       // as new: kept
        {"/r", kVectorTime + 10, false},  // newer: kept
        {"/a", kVectorTime + 10, true},   // every file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.existing_time));
        fs::path out = root_ / "out";
        fs::remove_all(out);
        WriteAll(out / "t100.txt", "old");
        SetTime(out / "t100.txt", c.existing_time);
        EXPECT_EQ(Ish(std::string(" ") + c.mode + " " + text.string() + " /f=" + out.string()), 0);
        EXPECT_EQ(ReadAll(out / "t100.txt"), c.replaced ? original : "old");
    }
    fs::path fresh = root_ / "fresh";
    fs::create_directories(fresh);
    EXPECT_EQ(Ish(" /r " + text.string() + " /f=" + fresh.string()), 0);
    EXPECT_EQ(ReadAll(fresh / "t100.txt"), original);
}

TEST_F(Ish32, NamesCannotLeaveTheTargetFolder) {
    // A first line the header's name was made from, leading out: refused, nothing written.
    fs::path out = root_ / "deep" / "out";
    fs::create_directories(out);
    fs::path text = MakeText("../escaped.txt", "payload");
    EXPECT_EQ(Ish(" /a " + text.string() + " /f=" + out.string()), result::kAccessDenied);
    EXPECT_FALSE(fs::exists(root_ / "deep" / "escaped.txt"));
    EXPECT_TRUE(fs::is_empty(out));
    // A first line that does not match the header is not believed: the header's name is used.
    fs::path lying = MakeText("../../lying.txt", "payload", ish::Variant::kJis8, "PLAIN.TXT");
    EXPECT_EQ(Ish(" /a " + lying.string() + " /f=" + out.string()), 0);
    EXPECT_EQ(ReadAll(out / "PLAIN.TXT"), "payload");
}

TEST_F(Ish32, SeveralFilesOfOneTextAreRestoredAndListedOneByOne) {
    std::string both =
        ReadAll(MakeText("one.txt", "first")) + "a comment between the files\n" +
        ReadAll(MakeText("two.bin", std::string(3000, 'x'), ish::Variant::kShiftJis));
    fs::path text = root_ / "both.ish";
    WriteAll(text, both);
    fs::path out = root_ / "out";
    fs::create_directories(out);
    EXPECT_EQ(Ish(" /a " + text.string() + " /f=" + out.string()), 0);
    EXPECT_EQ(ReadAll(out / "one.txt"), "first");
    EXPECT_EQ(ReadAll(out / "two.bin"), std::string(3000, 'x'));
    std::string listing;
    ASSERT_EQ(List(text, &listing), 0);
    EXPECT_NE(listing.find("\none.txt\n5 2024-01-02 03:04:06 jis7\n"), std::string::npos)
        << listing;
    EXPECT_NE(listing.find("\ntwo.bin\n3000 2024-01-02 03:04:06 shift_jis\n"), std::string::npos);
}

TEST_F(Ish32, ListsEveryVectorAsTheControlReadsIt) {
    for (const VariantCase& v : kVariants) {
        for (const char* input : kInputs) {
            SCOPED_TRACE(std::string(v.folder) + "/" + input);
            fs::path text = TestData(std::string("ish/") + v.folder + "/" + Base(input) + ".ish");
            std::string listing;
            ASSERT_EQ(List(text, &listing), 0);
            std::string entry =
                std::string(input) + "\n" +
                std::to_string(fs::file_size(TestData(std::string("ish/inputs/") + input))) +
                " 2024-01-02 03:04:06 " + v.type + "\n";
            std::vector<std::string> lines;
            std::istringstream in(listing);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            ASSERT_EQ(lines.size(), 6u) << listing;
            EXPECT_EQ(lines[2].rfind("--------------", 0), 0u);
            EXPECT_EQ(lines[3] + "\n" + lines[4] + "\n", entry);
            EXPECT_EQ(lines[5].rfind("--------------", 0), 0u);
            EXPECT_EQ(listing.back(), '\n');
            EXPECT_EQ(Check(text, 1), 1);
        }
    }
}

TEST_F(Ish32, ATooSmallBufferGetsTheFirstFilesWhole) {
    std::string text_of_three;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        text_of_three += ReadAll(MakeText(name, name));
    fs::path text = root_ / "three.ish";
    WriteAll(text, text_of_three);
    std::string whole;
    ASSERT_EQ(List(text, &whole), 0);
    size_t third = whole.find("c.txt\n");
    ASSERT_NE(third, std::string::npos);
    // Room for everything but the third file's lines: the listing ends after the second.
    std::string cut;
    ASSERT_EQ(List(text, &cut, static_cast<uint16_t>(whole.size())), 0);
    EXPECT_EQ(cut, whole.substr(0, third) + whole.substr(whole.find("---", third)));
    std::string none;
    EXPECT_NE(List(text, &none, 20), 0);
    EXPECT_EQ(none, "");
}

TEST_F(Ish32, TextsThatAreNoISHGiveACodeAndNothingElse) {
    std::mt19937 random(7);
    std::string noise(200000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::string long_lines;
    for (int i = 0; i < 2000; ++i)
        long_lines += std::string(78, static_cast<char>('!' + i % 90)) + "\n";
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"noise", noise},
        {"lines", long_lines},
        {"cut", ReadAll(TestData("ish/jis7/r5000.ish")).substr(0, 3000)},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        fs::path text = root_ / (std::string(name) + ".ish");
        WriteAll(text, content);
        fs::path out = root_ / "out" / name;
        fs::create_directories(out);
        EXPECT_NE(Ish(" /a " + text.string() + " /f=" + out.string()), 0);
        EXPECT_TRUE(fs::is_empty(out));
        EXPECT_EQ(Check(text, 2), 0);
    }
    std::string listing;
    EXPECT_EQ(List(root_ / "noise.ish", &listing), result::kNotValidArchive);
    EXPECT_EQ(List(root_ / "missing.ish", &listing), result::kCannotOpen);
    EXPECT_EQ(Ish(" /a " + (root_ / "missing.ish").string() + " /f=" + root_.string()),
              result::kCannotOpen);
}

TEST_F(Ish32, RoundTripsAtBlockAndLineBoundaries) {
    // jis7 carries 60 payload bytes a line and 60 lines a block; the stream adds 2 CRC bytes.
    const size_t sizes[] = {0, 1, 58, 59, 60, 61, 3598, 3599, 3600, 3601, 7198, 100000};
    std::mt19937 random(3);
    for (const VariantCase& v : kVariants) {
        for (size_t size : sizes) {
            SCOPED_TRACE(std::string(v.folder) + " " + std::to_string(size));
            std::string data(size, '\0');
            for (char& c : data) c = static_cast<char>(random());
            fs::path file = root_ / "in" / "data.bin";
            WriteAll(file, data);
            fs::path texts = root_ / "texts";
            fs::create_directories(texts);
            ASSERT_EQ(Ish("/s " + file.string() + " " + v.ish_switch + " /f=" + texts.string()), 0);
            fs::path out = root_ / "out";
            fs::remove_all(out);
            fs::create_directories(out);
            ASSERT_EQ(Ish(" /a " + (texts / "data.ish").string() + " /f=" + out.string()), 0);
            EXPECT_EQ(ReadAll(out / "data.bin"), data);
        }
    }
}

TEST_F(Ish32, EncodingRefusesWhatIsNoFile) {
    fs::path out = root_ / "out";
    fs::create_directories(out);
    EXPECT_EQ(Ish("/s " + (root_ / "nothing.txt").string() + " /s /f=" + out.string()),
              result::kFileNotFound);
    EXPECT_EQ(Ish("/s " + root_.string() + " /s /f=" + out.string()), result::kFileNotFound);
    EXPECT_TRUE(fs::is_empty(out));
    WriteAll(root_ / "a.txt", "a");
    EXPECT_EQ(Ish("/s " + (root_ / "a.txt").string() + " /s /f=" + (root_ / "none").string()),
              result::kCannotMakeWorkFile);
}

}  // namespace
}  // namespace quorvex6::testing
