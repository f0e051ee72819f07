// RAR 1.5 decoding: short streams written here bit by bit, whose meaning follows from where the
// lists start; the real program's archives through the RAR reader; damage and solid streams.
#include "codecs/rar15/rar15_decoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "backends/rar/rar_test_support.h"
#include "codecs/lh/bit_writer.h"
#include "io/memory.h"

namespace quorvex6::backend::codecs::rar15 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes Written(const std::vector<std::pair<int, std::uint32_t>>& fields) {
    Bytes packed;
    io::VectorSink sink(packed);
    lh::BitWriter bits(sink);
    for (const auto& [n, value] : fields) bits.put(n, value);
    bits.finish();
    return packed;
}

Status Decode(Decoder& decoder, const Bytes& packed, std::uint64_t size, Bytes& out) {
    io::MemorySource in(packed);
    io::VectorSink sink(out);
    return decoder.decode(in, packed.size(), size, sink);
}

// Flags come from a list that starts reversed: place 1 holds 0xFF, eight literals' worth.
// Literals start at their own places; with the first code set 'A' (65) is the sixth of the
// 8-bit band that starts at 60, and once used it moves to place 0.
const Bytes kTwoLiterals = Written({{5, 0b00001}, {8, 0b11100000 + 5}, {5, 0b00000}});

TEST(Rar15Decoder, LiteralsAreThePlacesOfTheirBytesAndAUsedByteMovesFirst) {
    auto decoder = MakeDecoder();
    Bytes out;
    ASSERT_EQ(Decode(*decoder, kTwoLiterals, 2, out), Status::kOk);
    EXPECT_EQ(out, (Bytes{'A', 'A'}));
}

TEST(Rar15Decoder, StreamsThatBreakTheRulesAreRefused) {
    struct Case {
        const char* what;
        Bytes packed;
        std::uint64_t size;
        Status status;
    };
    const Case cases[] = {
        // Flags 0, then a 2-byte match one byte back before anything was written.
        {"a match before the start", Bytes(8, 0), 4, Status::kCorrupt},
        {"more bytes than the stream holds", kTwoLiterals, 40, Status::kTruncated},
        {"nothing to read", {}, 1, Status::kTruncated},
    };
    for (const Case& c : cases) {
        auto decoder = MakeDecoder();
        Bytes out;
        EXPECT_EQ(Decode(*decoder, c.packed, c.size, out), c.status) << c.what;
    }
    auto decoder = MakeDecoder();
    Bytes out;
    EXPECT_EQ(Decode(*decoder, {}, 0, out), Status::kOk);
    EXPECT_TRUE(out.empty());
}

TEST(Rar15Decoder, ASolidMemberGoesOnWithTheListsOfTheOneBefore) {
    // Place 0 of the flag list now holds 0xFF, and place 0 of the literals 'A'.
    const Bytes next = Written({{5, 0}, {5, 0}});
    auto decoder = MakeDecoder();
    Bytes out;
    ASSERT_FALSE(decoder->prepare({64 * 1024, true}));  // nothing to go on from
    ASSERT_TRUE(decoder->prepare({64 * 1024, false}));
    ASSERT_EQ(Decode(*decoder, kTwoLiterals, 2, out), Status::kOk);
    ASSERT_TRUE(decoder->prepare({64 * 1024, true}));
    ASSERT_EQ(Decode(*decoder, next, 1, out), Status::kOk);
    EXPECT_EQ(out, Bytes{'A'});

    // Afresh, the same bits are flags 0 and a match before the start.
    ASSERT_TRUE(decoder->prepare({64 * 1024, false}));
    EXPECT_EQ(Decode(*decoder, next, 1, out), Status::kCorrupt);
    // A stream whose member failed goes on no further.
    EXPECT_FALSE(decoder->prepare({64 * 1024, true}));
}

// The real program's RAR 1.5 file, whole and damaged.
constexpr const char* kArchives[] = {"rarfile/rar15-comment.rar", "rarfile/rar15-comment-lock.rar"};

TEST(Rar15Decoder, TheRealProgramsFilesComeOutWithTheirChecks) {
    for (const char* archive : kArchives) {
        rar::VolumeSet set = rar::OpenSet(rar::RarData(archive));
        const rar::JoinedEntry* file = rar::Find(set, "FILE1.TXT");
        ASSERT_NE(file, nullptr) << archive;
        EXPECT_EQ(file->entry.version, 15);
        rar::Decoded d = rar::DecodeEntry(set, *file);
        EXPECT_EQ(d.fault, std::nullopt) << archive;
        EXPECT_EQ(std::string(d.bytes.begin(), d.bytes.end()), "foooo\r\n") << archive;
    }
}

TEST(Rar15Decoder, DamagedDataNeverPasses) {
    const fs::path scratch = fs::temp_directory_path() / ("qv_rar15_" + std::to_string(getpid()));
    fs::create_directories(scratch);
    const fs::path original = rar::RarData(kArchives[0]);
    rar::VolumeSet clean = rar::OpenSet(original);
    const rar::Entry& file = rar::Find(clean, "FILE1.TXT")->entry;
    const Bytes bytes = rar::FileBytes(original);
    const Bytes packed(
        bytes.begin() + static_cast<std::ptrdiff_t>(file.data_offset),
        bytes.begin() + static_cast<std::ptrdiff_t>(file.data_offset + file.packed_size));
    std::size_t failures = 0;
    for (std::size_t bit = 0; bit < packed.size() * 8; ++bit) {
        Bytes damaged = bytes;
        damaged[file.data_offset + bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        const fs::path path = scratch / "damaged.rar";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(damaged.data()),
                   static_cast<std::streamsize>(damaged.size()));
        rar::VolumeSet set = rar::OpenSet(path);
        rar::Decoded d = rar::DecodeEntry(set, *rar::Find(set, "FILE1.TXT"));
        // A flip in the padding after the last code changes nothing; any other fails.
        if (!d.fault) {
            EXPECT_EQ(std::string(d.bytes.begin(), d.bytes.end()), "foooo\r\n") << bit;
        }
        failures += d.fault ? 1 : 0;
    }
    EXPECT_GE(failures, packed.size() * 8 - 7);
    for (std::size_t cut = 0; cut < packed.size(); ++cut) {
        auto decoder = MakeDecoder();
        Bytes out;
        const Bytes head(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_NE(Decode(*decoder, head, file.original_size, out), Status::kOk) << cut;
    }
    fs::remove_all(scratch);
}

}  // namespace
}  // namespace quorvex6::backend::codecs::rar15
