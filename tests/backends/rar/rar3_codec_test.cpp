// The RAR 2.9 decoder driven directly, as a container with solid streams drives it: members of
// one stream in turn on one decoder, what prepare() accepts, streams cut short.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "backends/rar/rar_test_support.h"
#include "codecs/codec.h"
#include "io/crc32.h"

namespace quorvex6::backend::rar {
namespace {

using codecs::MemberSetup;
using codecs::Status;

std::vector<std::uint8_t> PackedBytes(const std::string& file, const Entry& e) {
    std::ifstream in(RarData(file), std::ios::binary);
    std::vector<std::uint8_t> all{std::istreambuf_iterator<char>(in), {}};
    return {all.begin() + static_cast<std::ptrdiff_t>(e.data_offset),
            all.begin() + static_cast<std::ptrdiff_t>(e.data_offset + e.packed_size)};
}

Status DecodeMember(codecs::Decoder& decoder, const std::vector<std::uint8_t>& packed,
                    std::uint64_t unpacked, std::vector<std::uint8_t>& out) {
    io::MemorySource in(packed);
    io::VectorSink sink(out);
    return decoder.decode(in, packed.size(), unpacked, sink);
}

std::unique_ptr<codecs::Decoder> NewDecoder() {
    return codecs::FindMethod("rar29")->make_decoder();
}

// The first member of an archive of each kind of RAR 2.9 data: LZ, filtered, PPMd.
struct FirstMember {
    const char* file;
    Entry entry;
    std::vector<std::uint8_t> packed;
};

std::vector<FirstMember> FirstMembersOfEachKind() {
    std::vector<FirstMember> members;
    for (const char* file : {"libarchive/test_read_format_rar_compress_normal.rar",
                             "libarchive/test_read_format_rar_filter.rar",
                             "libarchive/test_read_format_rar_compress_best.rar"}) {
        const Entry e = OpenSet(RarData(file)).entries().at(0).entry;
        members.push_back({file, e, PackedBytes(file, e)});
    }
    return members;
}

TEST(Rar3Codec, ASolidStreamGoesOnFromMemberToMember) {
    const std::string file = "rarfile/rar3-solid.rar";
    VolumeSet set = OpenSet(RarData(file));
    std::unique_ptr<codecs::Decoder> decoder = NewDecoder();
    std::size_t members = 0;
    for (const JoinedEntry& j : set.entries()) {
        const Entry& e = j.entry;
        if (!e.has_data() || e.method == 0) continue;
        ASSERT_TRUE(decoder->prepare(MemberSetup{e.dictionary, members > 0})) << e.name;
        std::vector<std::uint8_t> out;
        ASSERT_EQ(DecodeMember(*decoder, PackedBytes(file, e), e.original_size, out), Status::kOk)
            << e.name;
        EXPECT_EQ(io::Crc32(0, out.data(), out.size()), e.crc.value_or(0)) << e.name;
        ++members;
    }
    EXPECT_GE(members, 2u);
}

TEST(Rar3Codec, PrepareTakesOnlyWhatItCanContinue) {
    struct Case {
        const char* what;
        bool after_a_member;
        MemberSetup setup;
        bool accepted;
    };
    const Case cases[] = {
        {"a fresh stream", false, {std::uint64_t{4} << 20, false}, true},
        {"no declared window", false, {0, false}, true},
        {"a window past 4 MiB", false, {std::uint64_t{8} << 20, false}, false},
        {"a stream never started", false, {std::uint64_t{1} << 20, true}, false},
        {"the stream goes on", true, {std::uint64_t{1} << 20, true}, true},
        {"goes on with a larger window", true, {std::uint64_t{4} << 20, true}, false},
    };
    const std::string file = "libarchive/test_read_format_rar_compress_normal.rar";
    VolumeSet set = OpenSet(RarData(file));
    const Entry& e = set.entries().at(0).entry;
    std::vector<std::uint8_t> packed = PackedBytes(file, e);
    for (const Case& c : cases) {
        std::unique_ptr<codecs::Decoder> decoder = NewDecoder();
        if (c.after_a_member) {
            ASSERT_TRUE(decoder->prepare(MemberSetup{std::uint64_t{1} << 20, false}));
            std::vector<std::uint8_t> out;
            ASSERT_EQ(DecodeMember(*decoder, packed, e.original_size, out), Status::kOk);
        }
        EXPECT_EQ(decoder->prepare(c.setup), c.accepted) << c.what;
    }
}

// A stream cut anywhere, or given too little output room, never passes: the caller learns it
// from the status, whatever was written before.
TEST(Rar3Codec, AStreamCutShortFails) {
    for (const auto& [file, e, packed] : FirstMembersOfEachKind()) {
        for (std::size_t keep : {std::size_t{0}, std::size_t{3}, packed.size() / 2}) {
            std::vector<std::uint8_t> cut(packed.begin(),
                                          packed.begin() + static_cast<std::ptrdiff_t>(keep));
            std::vector<std::uint8_t> out;
            EXPECT_NE(DecodeMember(*NewDecoder(), cut, e.original_size, out), Status::kOk)
                << file << " " << keep;
        }
        std::vector<std::uint8_t> out;
        EXPECT_NE(DecodeMember(*NewDecoder(), packed, e.original_size + 1000, out), Status::kOk)
            << file;
        // A stream that ends long before its declared size stops where its bytes end.
        std::vector<std::uint8_t> half(packed.begin(), packed.begin() + packed.size() / 2);
        out.clear();
        EXPECT_NE(DecodeMember(*NewDecoder(), half, std::uint64_t{1} << 30, out), Status::kOk);
        EXPECT_LT(out.size(), e.original_size) << file;
    }
}

// A flipped bit anywhere in LZ, filtered or PPMd data never passes as the file: the decoder
// fails or its output disagrees with the CRC.
TEST(Rar3Codec, DamageNeverPassesForTheFile) {
    for (const auto& [file, e, packed] : FirstMembersOfEachKind()) {
        for (std::size_t at = 0; at < packed.size(); at += packed.size() / 37 + 1) {
            std::vector<std::uint8_t> damaged = packed;
            damaged[at] ^= static_cast<std::uint8_t>(1u << (at % 8));
            std::vector<std::uint8_t> out;
            Status status = DecodeMember(*NewDecoder(), damaged, e.original_size, out);
            EXPECT_TRUE(status != Status::kOk ||
                        io::Crc32(0, out.data(), out.size()) != e.crc.value_or(0))
                << file << " " << at;
        }
    }
}

}  // namespace
}  // namespace quorvex6::backend::rar
