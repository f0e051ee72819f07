// A set of volumes Debian's arj made (-v): joined by name, split files rejoined from their
// pieces, and a missing or damaged volume never giving a file that looks complete.
#include <map>
#include <string>

#include "backends/unarj32j/arj_library.h"

namespace quorvex6::testing {
namespace {

const char* const kVolumes[] = {"volumes.arj", "volumes.a01", "volumes.a02",
                                "volumes.a03", "volumes.a04", "volumes.a05"};

std::map<std::string, std::string> Packed() {
    const fs::path files = TestData("arj/files");
    return {{"text.txt", ReadAll(files / "text.txt")},
            {"far-repeat.bin", ReadAll(files / "far-repeat.bin")},
            {"NOEXT", ReadAll(files / "NOEXT")}};
}

class Unarj32jVolumes : public Unarj32j {
  protected:
    // The set copied into the scratch folder, with volume `changed` left out (missing) or
    // with one byte of it changed.
    fs::path CopySet(int changed = -1, bool missing = false, size_t at = 0) {
        for (int i = 0; i < 6; ++i) {
            std::string bytes = ReadAll(Data(kVolumes[i]));
            if (i == changed && missing) continue;
            if (i == changed) bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
            WriteAll(root_ / "set" / kVolumes[i], bytes);
        }
        return root_ / "set" / kVolumes[0];
    }
};

TEST_F(Unarj32jVolumes, SplitFilesComeOutWhole) {
    std::string log;
    ASSERT_EQ(Extract(Data("volumes.arj"), root_ / "x", "x", "", "*.*", &log), 0) << log;
    EXPECT_EQ(ReadTree(root_ / "x"), Packed());
    EXPECT_EQ(Check(Data("volumes.arj"), 2), 1);

    auto open = lib_.Get<QvOpenArchiveFn>("UnarjOpenArchive");
    auto first = lib_.Get<QvFindFirstFn>("UnarjFindFirst");
    auto next = lib_.Get<QvFindNextFn>("UnarjFindNext");
    QvArchive handle = open(0, Data("volumes.arj").c_str(), 0);
    std::map<std::string, uint32_t> sizes;
    QvEntryInfo info{};
    for (int r = first(handle, "*.*", &info); r == 0; r = next(handle, &info))
        sizes[info.name] = info.original_size;
    lib_.Get<QvCloseArchiveFn>("UnarjCloseArchive")(handle);
    EXPECT_EQ(sizes, (std::map<std::string, uint32_t>{
                         {"text.txt", 200005}, {"far-repeat.bin", 40000}, {"NOEXT", 390}}));
}

TEST_F(Unarj32jVolumes, AMissingVolumeLosesOnlyTheFilesThroughIt) {
    for (int gone : {1, 5}) {
        fs::remove_all(root_ / "set");
        fs::path first = CopySet(gone, true);
        fs::path dest = root_ / ("x" + std::to_string(gone));
        std::string log;
        EXPECT_EQ(Extract(first, dest, "x", "", "*.*", &log), result::kArchiveDataMissing)
            << gone << log;
        for (const auto& [path, content] : ReadTree(dest)) EXPECT_EQ(content, Packed()[path]);
        // far-repeat.bin runs from the third volume into the last; text.txt through the second.
        EXPECT_FALSE(fs::exists(dest / "far-repeat.bin")) << gone;
        EXPECT_EQ(fs::exists(dest / "text.txt"), gone == 5) << gone;
        EXPECT_EQ(Check(first, 2), 0) << gone;
    }
}

TEST_F(Unarj32jVolumes, ADamagedPieceFailsItsFile) {
    fs::path first = CopySet(2, false, 1000);  // inside text.txt's last piece
    fs::path dest = root_ / "x";
    int32_t code = Extract(first, dest);
    EXPECT_TRUE(code == result::kCrcMismatch || code == result::kBrokenData) << code;
    EXPECT_FALSE(fs::exists(dest / "text.txt"));
    EXPECT_EQ(ReadAll(dest / "NOEXT"), Packed()["NOEXT"]);
}

}  // namespace
}  // namespace quorvex6::testing
