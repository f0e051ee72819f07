// Volumes joined by name, both numbering schemes, each piece's CRC and the whole's checked;
// only volumes of the set the first one names are taken.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "backends/rar/rar_test_support.h"
#include "formats/rar/volume_names.h"
#include "io/byte_order.h"
#include "io/crc32.h"

namespace quorvex6::backend::rar {
namespace {

namespace fs = std::filesystem;

class RarVolumes : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() /
                ("qv_rar_" + std::string(info->name()) + "_" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }
    void Copy(const std::string& from, const std::string& to) {
        fs::copy_file(RarData(from), root_ / to);
    }
    fs::path root_;
};

TEST(RarVolumeNames, BothSchemesCountOn) {
    struct Case {
        const char* current;
        bool new_numbering;
        std::optional<std::string> next;
    };
    const Case cases[] = {
        {"a/x.part1.rar", true, "a/x.part2.rar"},
        {"x.part09.rar", true, "x.part10.rar"},
        {"x.part99.rar", true, "x.part100.rar"},
        {"x.rar", true, std::nullopt},
        {"x.rar", false, "x.r00"},
        {"X.RAR", false, "X.R00"},
        {"x.r00", false, "x.r01"},
        {"x.r99", false, "x.s00"},
        {"dir.v1/x", false, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextVolumeName(c.current, c.new_numbering), c.next) << c.current;
}

TEST_F(RarVolumes, SplitFilesComeOutWholeFromEverySet) {
    struct Case {
        const char* first;
        std::size_t volumes;
        std::size_t entries;
    };
    const Case cases[] = {
        {"rarfile/rar5-vols.part1.rar", 3, 2},
        {"libarchive/test_rar_multivolume_single_file.part1.rar", 3, 1},
        {"libarchive/test_rar_multivolume_uncompressed_files.part01.rar", 10, 16},
    };
    for (const Case& c : cases) {
        VolumeSet set = OpenSet(RarData(c.first));
        EXPECT_EQ(set.paths().size(), c.volumes) << c.first;
        EXPECT_EQ(set.entries().size(), c.entries) << c.first;
        for (const JoinedEntry& j : set.entries()) {
            Decoded d = DecodeEntry(set, j);
            EXPECT_FALSE(d.fault) << j.entry.name;
            if (j.entry.has_data()) {
                EXPECT_EQ(d.bytes.size(), j.entry.original_size) << j.entry.name;
            }
        }
    }
}

// "x.rar", "x.r00", "x.r01": the same volumes with the new-numbering flag taken off.
TEST_F(RarVolumes, OldNumberingFollowsTheExtension) {
    const char* names[] = {"x.rar", "x.r00", "x.r01"};
    for (int i = 0; i < 3; ++i) {
        std::ifstream in(RarData("libarchive/test_rar_multivolume_single_file.part" +
                                 std::to_string(i + 1) + ".rar"),
                         std::ios::binary);
        std::vector<std::uint8_t> b{std::istreambuf_iterator<char>(in), {}};
        std::uint8_t* main = b.data() + sizeof kSignature4;
        io::StoreLe16(main + 3, io::Le16(main + 3) & ~kMainNewNumbering);
        io::StoreLe16(main,
                      static_cast<std::uint16_t>(io::Crc32(0, main + 2, kMainHeaderSize - 2)));
        std::ofstream(root_ / names[i], std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    VolumeSet set = OpenSet(root_ / "x.rar");
    EXPECT_EQ(set.paths().size(), 3u);
    ASSERT_EQ(set.entries().size(), 1u);
    EXPECT_FALSE(DecodeEntry(set, set.entries()[0]).fault);
}

TEST_F(RarVolumes, OnlyTheSetTheFirstVolumeNamesIsTaken) {
    // A plain archive whose name ends in a number never pulls in its neighbour.
    Copy("store/store5.rar", "NAME1.rar");
    Copy("store/store4.rar", "NAME2.rar");
    VolumeSet plain = OpenSet(root_ / "NAME1.rar");
    EXPECT_EQ(plain.paths().size(), 1u);
    EXPECT_EQ(plain.entries().size(), 5u);

    // A third "volume" that is another archive, or a volume of the wrong number, ends the set:
    // the file that needed it is incomplete and the rest is not read.
    for (const char* third : {"store/store5.rar", "rarfile/rar5-vols.part2.rar"}) {
        fs::remove_all(root_);
        fs::create_directories(root_);
        Copy("rarfile/rar5-vols.part1.rar", "v.part1.rar");
        Copy("rarfile/rar5-vols.part2.rar", "v.part2.rar");
        Copy(third, "v.part3.rar");
        VolumeSet set = OpenSet(root_ / "v.part1.rar");
        EXPECT_EQ(set.paths().size(), 2u) << third;
        ASSERT_EQ(set.entries().size(), 1u) << third;
        EXPECT_FALSE(set.entries()[0].complete);
        EXPECT_EQ(DecodeEntry(set, set.entries()[0]).fault, io::Fault::kBrokenData);
    }
}

TEST_F(RarVolumes, AMissingVolumeLeavesItsFileIncomplete) {
    Copy("rarfile/rar5-vols.part1.rar", "v.part1.rar");
    VolumeSet set = OpenSet(root_ / "v.part1.rar");
    EXPECT_EQ(set.paths().size(), 1u);
    ASSERT_EQ(set.entries().size(), 1u);
    EXPECT_EQ(DecodeEntry(set, set.entries()[0]).fault, io::Fault::kBrokenData);
}

}  // namespace
}  // namespace quorvex6::backend::rar
