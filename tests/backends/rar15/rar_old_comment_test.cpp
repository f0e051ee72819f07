// RAR 1.5-2.x archive comments: the real program's, compressed by RAR 1.5's and 2.0's methods,
// blocks written here, and damage that empties the comment but stops no file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backends/rar/rar_test_support.h"
#include "formats/rar/old_comment.h"
#include "io/crc32.h"

namespace quorvex6::backend::rar {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

TEST(RarOldComment, TheRealProgramsCommentsAreRead) {
    struct Case {
        const char* archive;
        const char* comment;
    };
    const Case cases[] = {
        {"rarfile/rar15-comment.rar", "RARcomment -----"},
        {"rarfile/rar15-comment-lock.rar", "RARcomment -----"},
        {"rarfile/rar202-comment-nopsw.rar", "RARcomment"},
        {"rarfile/rar202-comment-psw.rar", "RARcomment"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OpenSet(RarData(c.archive)).first().comment, c.comment) << c.archive;
}

// A block as the old layout has it: base (CRC, type, flags, size), text size, version, method,
// the text's check, then the stored or packed text.
Bytes Block(const std::string& text, std::uint8_t version, std::uint8_t method, const Bytes& data,
            std::uint16_t check) {
    Bytes b(13 + data.size(), 0);
    const auto put16 = [&b](std::size_t at, std::size_t value) {
        b[at] = static_cast<std::uint8_t>(value);
        b[at + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    b[2] = 0x75;
    put16(5, b.size());
    put16(7, text.size());
    b[9] = version;
    b[10] = method;
    put16(11, check);
    std::copy(data.begin(), data.end(), b.begin() + 13);
    return b;
}

TEST(RarOldComment, OnlyABlockWholeAndCheckedGivesItsText) {
    const std::string text = "a comment";
    const Bytes data(text.begin(), text.end());
    const auto check = static_cast<std::uint16_t>(io::Crc32(0, data.data(), data.size()));
    const Bytes good = Block(text, 15, 0x30, data, check);
    struct Case {
        const char* what;
        Bytes block;
        std::string comment;
    };
    const Case cases[] = {
        {"stored", good, text},
        {"a wrong check", Block(text, 15, 0x30, data, check ^ 1), ""},
        {"cut short", Bytes(good.begin(), good.end() - 1), ""},
        {"no more than a base", Bytes(good.begin(), good.begin() + 7), ""},
        {"packed by an unknown version", Block(text, 99, 0x33, data, check), ""},
        {"packed data that is no stream", Block(text, 15, 0x33, data, check), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadOldComment(c.block), c.comment) << c.what;
}

// A comment is metadata: damaged, it is dropped and the files still come out.
TEST(RarOldComment, ADamagedCommentStopsNoFile) {
    const fs::path scratch =
        fs::temp_directory_path() / ("qv_rar_comment_" + std::to_string(getpid()));
    fs::create_directories(scratch);
    Bytes bytes = FileBytes(RarData("rarfile/rar15-comment.rar"));
    // The packed comment follows the 13-byte main header and the block's 13 fixed bytes.
    bytes.at(7 + 13 + 13 + 2) ^= 0x10;
    const fs::path path = scratch / "comment.rar";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    VolumeSet set = OpenSet(path);
    EXPECT_EQ(set.first().comment, "");
    ASSERT_EQ(set.entries().size(), 2u);
    for (const JoinedEntry& e : set.entries()) {
        Decoded d = DecodeEntry(set, e);
        EXPECT_EQ(d.fault, std::nullopt) << e.entry.name;
        EXPECT_EQ(d.bytes.size(), e.entry.original_size) << e.entry.name;
    }
    fs::remove_all(scratch);
}

}  // namespace
}  // namespace quorvex6::backend::rar
