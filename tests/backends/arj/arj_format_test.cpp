// The ARJ container on its own: the bid behind a self-extractor's program, comments, names,
// hosts' times and modes.
#include "formats/arj/arj_format.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/arj/arj_reader.h"
#include "formats/arj/volume_set.h"
#include "io/memory.h"

namespace quorvex6::backend::arj {
namespace {

std::vector<std::uint8_t> ReadData(const std::string& name) {
    const char* dir = std::getenv("QV_TEST_DATA");
    std::ifstream in(std::filesystem::path(dir ? dir : "tests/data") / "arj" / name,
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ArjFormat, TheBidFindsTheMainHeaderBehindAProgram) {
    std::vector<std::uint8_t> archive = ReadData("m1.arj");
    ASSERT_FALSE(archive.empty());
    struct Case {
        std::vector<std::uint8_t> stub;
        std::optional<std::uint64_t> start;
    };
    // A stray mark without a valid header, as a program may hold, is passed over.
    const Case cases[] = {
        {{}, 0},
        {std::vector<std::uint8_t>(5000, 'M'), 5000},
        {{0x60, 0xEA, 0x10, 0x00, 1, 2, 3}, 7},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = c.stub;
        bytes.insert(bytes.end(), archive.begin(), archive.end());
        EXPECT_EQ(Bid(bytes), c.start) << c.stub.size();
        io::MemoryInput in(bytes);
        Reader reader(in);
        EXPECT_EQ(reader.start(), c.start.value_or(0));
        EXPECT_EQ(reader.entries().size(), 8u);
        EXPECT_FALSE(reader.end_error());
    }
    const std::vector<std::uint8_t> text(100, 'x');
    EXPECT_FALSE(Bid(text));
}

TEST(ArjFormat, CommentsNamesAndHostsAreRead) {
    std::vector<std::uint8_t> bytes = ReadData("comment.arj");
    io::MemoryInput in(bytes);
    Reader reader(in);
    EXPECT_EQ(reader.comment(), "archive comment\n");

    struct Case {
        const char* archive;
        std::uint8_t host;
        std::uint16_t mode;  // of text.txt
    };
    for (const Case& c :
         {Case{"m1.arj", kHostUnix, 0x1000 | 0644}, Case{"dos-host.arj", kHostDos, 0x20}}) {
        std::vector<std::uint8_t> data = ReadData(c.archive);
        io::MemoryInput input(data);
        Reader r(input);
        ASSERT_EQ(r.entries().size(), 8u);
        const Entry& text = r.entries()[0];
        EXPECT_EQ(text.name, "text.txt");
        EXPECT_EQ(text.host, c.host) << c.archive;
        EXPECT_EQ(text.mode, c.mode) << c.archive;
        // 2021-06-15 12:34:56 UTC; the DOS host's local time is UTC in this test.
        EXPECT_EQ(text.mtime, 1623760496) << c.archive;
        EXPECT_EQ(r.entries()[6].name, "sub/deep/nested.txt") << c.archive;
        EXPECT_EQ(r.entries()[7].name, "日本語.txt") << c.archive;
    }
}

TEST(ArjFormat, ABackslashSeparatesFolders) {
    std::vector<std::uint8_t> bytes = ReadData("folders.arj");
    io::MemoryInput in(bytes);
    Reader reader(in);
    ASSERT_EQ(reader.entries().size(), 2u);
    EXPECT_EQ(reader.entries()[0].name, "sub/deep/nested.txt");
    EXPECT_TRUE(reader.entries()[1].folder());
    EXPECT_EQ(reader.entries()[1].name, "sub/deep/");
}

TEST(ArjFormat, VolumesAreNamedAfterTheFirst) {
    struct Case {
        std::string first;
        std::size_t number;
        std::optional<std::string> name;
    };
    const Case cases[] = {
        {"dir/set.arj", 1, "dir/set.a01"}, {"dir/SET.ARJ", 12, "dir/SET.A12"},
        {"dir.x/set", 2, "dir.x/set.a02"}, {"set.arj", 99, "set.a99"},
        {"set.arj", 100, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(VolumeName(c.first, c.number), c.name) << c.first;
}

}  // namespace
}  // namespace quorvex6::backend::arj
