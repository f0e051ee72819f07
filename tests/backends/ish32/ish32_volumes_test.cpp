// Multi-volume sets through the real library: joined whole from any of their volumes, refused
// with a code and nothing written when a volume is missing, damaged or the set's CRC is wrong.
#include <sys/stat.h>

#include <cstdio>
#include <random>

#include "backends/support/backend_library.h"
#include "codecs/ish/ish.h"
#include "quorvex6/result_codes.h"
#include "volume_set_maker.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;
namespace ish = quorvex6::backend::codecs::ish;

constexpr uint32_t kDosTime = 0x58221883;  // 2024-01-02 03:04:06
constexpr int64_t kUnixTime = 1704164646;  // the same, the suite running in UTC

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
}

std::string VolumeName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "joined.i%02d", number);
    return name;
}

struct SetCase {
    const char* what;
    // The volume each file joined.i01, .i02, ... holds (1 is the first); 0 writes no such file.
    std::vector<int> files = {1, 2, 3};
    int32_t code = 0;
    size_t size = 10000;  // three volumes of one JIS7 block
    int named = 1;        // the file the command names
    ish::Variant variant = ish::Variant::kJis7;
    uint32_t blocks_per_volume = 1;
    std::function<void(ish::FileInfo&)> edit_header = nullptr;
    std::function<void(std::vector<std::string>&)> damage = nullptr;
};

class Ish32Volumes : public ScratchTest {
  protected:
    int32_t Ish(const std::string& line) const {
        return lib_.Get<QvIshCommandFn>("Ish")(0, line.c_str());
    }
    BackendLibrary lib_{"ish32"};
};

int64_t TimeOf(const fs::path& file) {
    struct stat info {};
    return stat(file.c_str(), &info) == 0 ? info.st_mtime : -1;
}

TEST_F(Ish32Volumes, SetsAreJoinedWholeOrRefusedWithNothingWritten) {
    const uint32_t jis7_volume = VolumeBytes(ish::Variant::kJis7, 1);
    const uint32_t jis8_volume = VolumeBytes(ish::Variant::kJis8, 2);
    const SetCase cases[] = {
        {.what = "three volumes named by the first"},
        {.what = "named by the last", .named = 3},
        {.what = "names out of the volumes' order", .files = {3, 1, 2}, .named = 2},
        {.what = "a size that is a multiple of the volume",
         .files = {1, 2},
         .size = 2 * jis8_volume,
         .variant = ish::Variant::kJis8,
         .blocks_per_volume = 2},
        {.what = "one byte more than a volume",
         .files = {1, 2},
         .size = jis7_volume + 1,
         .named = 2},
        {.what = "an empty file", .files = {1}, .size = 0, .variant = ish::Variant::kShiftJis},
        {.what = "non-kana text", .files = {1, 2}, .size = 8000, .variant = ish::Variant::kNonKana},
        {.what = "a volume missing", .files = {1, 0, 3}, .code = result::kArchiveDataMissing},
        {.what = "a lone first volume",
         .files = {1},
         .code = result::kArchiveDataMissing,
         .size = 5000},
        {.what = "a volume of another set in its place",
         .code = result::kArchiveDataMissing,
         .edit_header =
             [](ish::FileInfo& info) {
                 if (info.volume == 2) info.set.whole_crc16 ^= 1;
             }},
        {.what = "a volume whose own CRC is wrong",
         .code = result::kCrcMismatch,
         .edit_header =
             [](ish::FileInfo& info) {
                 if (info.volume == 2) info.set.volume_crc16 ^= 0x100;
             }},
        {.what = "a wrong CRC-32 of the whole file",
         .code = result::kCrcMismatch,
         .named = 3,
         .edit_header = [](ish::FileInfo& info) { info.set.whole_crc32 ^= 1; }},
        {.what = "a wrong CRC-16 of the whole file",
         .files = {1, 2},
         .code = result::kCrcMismatch,
         .size = 8000,
         .variant = ish::Variant::kJis8,
         .edit_header = [](ish::FileInfo& info) { info.set.whole_crc16 ^= 0x8000; }},
        {.what = "a header without bytes per volume",
         .code = result::kBrokenData,
         .edit_header = [](ish::FileInfo& info) { info.set.volume_bytes = 0; }},
        {.what = "a block of a volume lost three lines",
         .code = result::kBrokenData,
         .damage =
             [](std::vector<std::string>& texts) {
                 // After the first line, the part line and three header lines: data lines 2 to 4.
                 std::string& text = texts[1];
                 size_t at = 0;
                 for (int line = 0; line < 6; ++line) at = text.find('\n', at) + 1;
                 size_t end = at;
                 for (int line = 0; line < 3; ++line) end = text.find('\n', end) + 1;
                 text.erase(at, end - at);
             }},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path texts = root_ / c.what / "texts";
        const fs::path out = root_ / c.what / "out";
        fs::create_directories(texts);
        fs::create_directories(out);
        const std::string data = RandomBytes(c.size, static_cast<unsigned>(c.size));
        VolumeSetPlan plan;
        plan.info.name = "joined.bin";
        plan.info.dos_time = kDosTime;
        plan.info.variant = c.variant;
        plan.blocks_per_volume = c.blocks_per_volume;
        plan.edit_header = c.edit_header;
        std::vector<std::string> volumes = MakeVolumeSet(plan, data);
        if (c.damage) c.damage(volumes);
        for (size_t i = 0; i < c.files.size(); ++i) {
            if (c.files[i] == 0) continue;
            WriteAll(texts / VolumeName(static_cast<int>(i + 1)), volumes.at(c.files[i] - 1));
        }
        const fs::path named = texts / VolumeName(c.named);
        ASSERT_EQ(Ish("/a " + named.string() + " /f=" + out.string()), c.code);
        if (c.code == 0) {
            EXPECT_TRUE(ReadAll(out / "joined.bin") == data);
            EXPECT_EQ(TimeOf(out / "joined.bin"), kUnixTime);
        } else {
            EXPECT_TRUE(fs::is_empty(out)) << fs::directory_iterator(out)->path();
        }
    }
}

TEST_F(Ish32Volumes, ATextHoldingEveryVolumeOutOfOrderIsJoined) {
    VolumeSetPlan plan;
    plan.info.name = "joined.bin";
    plan.info.dos_time = kDosTime;
    const std::string data = RandomBytes(10000, 3);
    std::vector<std::string> volumes = MakeVolumeSet(plan, data);
    ASSERT_EQ(volumes.size(), 3U);
    const fs::path text = root_ / "all.txt";
    WriteAll(text, volumes[2] + "a comment\n" + volumes[0] + volumes[1]);
    const fs::path out = root_ / "out";
    fs::create_directories(out);
    ASSERT_EQ(Ish("/a " + text.string() + " /f=" + out.string()), 0);
    EXPECT_TRUE(ReadAll(out / "joined.bin") == data);
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
}

TEST_F(Ish32Volumes, EachVolumeIsListedAndCheckedOnItsOwn) {
    VolumeSetPlan plan;
    plan.info.name = "joined.bin";
    plan.info.dos_time = kDosTime;
    std::vector<std::string> volumes = MakeVolumeSet(plan, RandomBytes(5000, 7));
    ASSERT_EQ(volumes.size(), 2U);
    const fs::path second = root_ / VolumeName(2);
    WriteAll(second, volumes[1]);
    std::vector<char> buffer(4096, '\0');
    ASSERT_EQ(lib_.Get<QvIshFileListFn>("IshFileList")(second.c_str(), buffer.data(), 4096), 0);
    EXPECT_NE(std::string(buffer.data()).find("\njoined.bin\n5000 2024-01-02 03:04:06 volume\n"),
              std::string::npos)
        << buffer.data();
    EXPECT_EQ(lib_.Get<QvCheckArchiveFn>("IshCheckArchive")(second.c_str(), 2), 1);
}

}  // namespace
}  // namespace quorvex6::testing
