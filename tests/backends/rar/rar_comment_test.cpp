// RAR 3.x-4.x CMT blocks: the real program's packed comment, damage that drops it but stops no
// file, and file comments that never stand for the archive's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends/rar/rar_test_support.h"
#include "formats/rar/rar4_reader.h"
#include "io/byte_order.h"
#include "io/crc32.h"

namespace quorvex6::backend::rar {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kSignatureSize = 7;

void Put16(Bytes& b, std::size_t at, std::uint32_t value) {
    b.at(at) = static_cast<std::uint8_t>(value);
    b.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t value) {
    Put16(b, at, value & 0xFFFF);
    Put16(b, at + 2, value >> 16);
}

// Headers carry the low half of a CRC-32 over all but that field.
void SealHeader(Bytes& b, std::size_t at) {
    const std::size_t size = io::Le16(b.data() + at + 5);
    Put16(b, at, io::Crc32(0, b.data() + at + 2, size - 2) & 0xFFFF);
}

// A stored CMT service block: the fields of a file header, the text's CRC-32, then the text.
Bytes StoredCmt(const std::string& text, std::uint32_t crc) {
    Bytes b(35, 0);
    b[2] = kBlockNewSub;
    Put16(b, 3, kFlagLongBlock);
    Put16(b, 5, static_cast<std::uint32_t>(b.size()));
    Put32(b, 7, static_cast<std::uint32_t>(text.size()));
    Put32(b, 11, static_cast<std::uint32_t>(text.size()));
    b[15] = 3;
    Put32(b, 16, crc);
    b[24] = 29;
    b[25] = 0x30;
    Put16(b, 26, 3);
    b[32] = 'C';
    b[33] = 'M';
    b[34] = 'T';
    SealHeader(b, 0);
    b.insert(b.end(), text.begin(), text.end());
    return b;
}

Bytes StoredCmt(const std::string& text) {
    return StoredCmt(text,
                     io::Crc32(0, reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

Volume ReadVolume(const Bytes& archive) {
    io::MemoryInput in(archive);
    return ReadRar4Volume(in, 0);
}

// Every file of the archive in memory decodes whole.
void ExpectFilesExtract(const Bytes& archive, const char* what) {
    const std::string name = "memory.rar";
    VolumeSet set(name, [&](const std::string& path) -> std::unique_ptr<io::RandomInput> {
        if (path != name) return nullptr;
        return std::make_unique<io::MemoryInput>(archive);
    });
    ASSERT_FALSE(set.entries().empty()) << what;
    io::MemoryInput in(archive);
    for (const JoinedEntry& e : set.entries()) {
        const Decoded d = Capture([&](io::Sink& sink) {
            VolumeSet::Decode(
                e, [&](std::size_t) -> io::RandomInput& { return in; }, sink);
        });
        EXPECT_EQ(d.fault, std::nullopt) << what << " " << e.entry.name;
        EXPECT_EQ(d.bytes.size(), e.entry.original_size) << what << " " << e.entry.name;
    }
}

// The archive's CMT block follows the 13-byte main header: its CRC-32, version and packed text
// at these offsets.
constexpr std::size_t kCmt = kSignatureSize + 13;
constexpr std::size_t kCmtUnpackedSize = kCmt + 11, kCmtCrc = kCmt + 16, kCmtVersion = kCmt + 24;
constexpr std::size_t kCmtText = kCmt + 35;

TEST(RarComment, APackedCommentIsReadAndDamageDropsIt) {
    const Bytes clean = FileBytes(RarData("rarfile/rar3-comment-plain.rar"));
    struct Case {
        const char* what;
        std::size_t at;
        std::uint8_t flip;
        const char* comment;
    };
    const Case cases[] = {
        {"intact", 0, 0, "RARcomment\n"},
        {"a packed byte changed", kCmtText + 6, 0x10, ""},
        {"a later packed byte changed", kCmtText + 12, 0x01, ""},
        {"another CRC", kCmtCrc, 0x01, ""},
        {"one byte more to unpack", kCmtUnpackedSize, 0x0B ^ 0x0C, ""},
        {"a version nothing decodes", kCmtVersion, 29 ^ 99, ""},
    };
    for (const Case& c : cases) {
        Bytes archive = clean;
        archive.at(c.at) ^= c.flip;
        if (c.at < kCmtText) SealHeader(archive, kCmt);
        EXPECT_EQ(ReadVolume(archive).comment, c.comment) << c.what;
        ExpectFilesExtract(archive, c.what);
    }
}

TEST(RarComment, AFilesCommentIsNotTheArchives) {
    const Bytes store = FileBytes(RarData("store/store4.rar"));
    const std::size_t main_end = kSignatureSize + io::Le16(store.data() + kSignatureSize + 5);
    const std::size_t first_file_end =
        main_end + io::Le16(store.data() + main_end + 5) + io::Le32(store.data() + main_end + 7);
    const Bytes bad_crc = StoredCmt("archive note", 0x12345678);
    struct Case {
        const char* what;
        Bytes archive_cmt;
        Bytes file_cmt;
        const char* comment;
    };
    const Case cases[] = {
        {"the archive's alone", StoredCmt("archive note"), {}, "archive note"},
        {"the archive's, then a file's", StoredCmt("archive note"), StoredCmt("file note"),
         "archive note"},
        {"a file's alone", {}, StoredCmt("file note"), ""},
        {"the archive's failing its CRC", bad_crc, StoredCmt("file note"), ""},
    };
    for (const Case& c : cases) {
        Bytes archive(store.begin(), store.begin() + static_cast<std::ptrdiff_t>(main_end));
        archive.insert(archive.end(), c.archive_cmt.begin(), c.archive_cmt.end());
        archive.insert(archive.end(), store.begin() + static_cast<std::ptrdiff_t>(main_end),
                       store.begin() + static_cast<std::ptrdiff_t>(first_file_end));
        archive.insert(archive.end(), c.file_cmt.begin(), c.file_cmt.end());
        archive.insert(archive.end(), store.begin() + static_cast<std::ptrdiff_t>(first_file_end),
                       store.end());
        const Volume v = ReadVolume(archive);
        EXPECT_EQ(v.comment, c.comment) << c.what;
        EXPECT_EQ(v.entries.size(), ReadVolume(store).entries.size()) << c.what;
        ExpectFilesExtract(archive, c.what);
    }
}

}  // namespace
}  // namespace quorvex6::backend::rar
