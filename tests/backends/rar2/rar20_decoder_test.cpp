// RAR 2.0 decoding: streams built here with flat codes (every symbol of a table the same
// length, so a symbol's code is its number) against what each code means, and the archive the
// real program wrote.
#include "codecs/rar2/rar20_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "backends/rar/rar_test_support.h"
#include "codecs/lh/bit_writer.h"
#include "io/memory.h"

namespace quorvex6::backend::codecs::rar2 {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr unsigned kMainBits = 9, kDistanceBits = 6, kRepeatBits = 5, kLevelBits = 5;
constexpr unsigned kLzTableSize = 298 + 48 + 28;

// Writes a stream and keeps the bytes it must decode to.
class StreamBuilder {
  public:
    StreamBuilder() : sink_(packed_), bits_(sink_) {}

    // Tables where every code has the same length; `keep` codes the lengths as changes from
    // the previous tables, which were the same.
    void LzTables(bool keep) {
        bits_.put(1, 0);
        bits_.put(1, keep ? 1 : 0);
        Level();
        for (unsigned i = 0; i < kLzTableSize; ++i) {
            const unsigned length = i < 298        ? kMainBits
                                    : i < 298 + 48 ? kDistanceBits
                                                   : kRepeatBits;
            bits_.put(kLevelBits, keep ? 0 : length);
        }
    }
    void AudioTables(unsigned channels) {
        bits_.put(1, 1);
        bits_.put(1, 0);
        bits_.put(2, channels - 1);
        Level();
        // The lengths by runs: one 9, then repeats of it (code 16, 2 bits: 3..6 more).
        for (unsigned i = 0; i < 257 * channels;) {
            bits_.put(kLevelBits, 9);
            ++i;
            const unsigned run = std::min(6u, 257 * channels - i);
            if (run >= 3) {
                bits_.put(kLevelBits, 16);
                bits_.put(2, run - 3);
                i += run;
            }
        }
    }
    void Literal(std::uint8_t byte) {
        bits_.put(kMainBits, byte);
        expected_.push_back(byte);
    }
    void Main(unsigned symbol) { bits_.put(kMainBits, symbol); }
    void Distance(unsigned code) { bits_.put(kDistanceBits, code); }
    void Repeat(unsigned code) { bits_.put(kRepeatBits, code); }
    void Extra(unsigned n, unsigned value) { bits_.put(static_cast<int>(n), value); }
    void Audio(unsigned delta) { bits_.put(9, delta); }
    // What a match of `length` bytes `distance` back gives (zeros before the start).
    void Expect(unsigned length, unsigned distance) {
        for (; length > 0; --length) {
            const std::size_t at = expected_.size();
            expected_.push_back(at >= distance ? expected_[at - distance] : 0);
        }
    }
    void ExpectByte(std::uint8_t byte) { expected_.push_back(byte); }

    Bytes Finish() {
        bits_.finish();
        return packed_;
    }
    const Bytes& expected() const { return expected_; }

  private:
    void Level() {
        for (unsigned i = 0; i < 19; ++i) bits_.put(4, kLevelBits);
    }
    Bytes packed_;
    io::VectorSink sink_;
    lh::BitWriter bits_;
    Bytes expected_;
};

Status Decode(Decoder& decoder, const Bytes& packed, std::uint64_t size, Bytes& out) {
    io::MemorySource in(packed);
    io::VectorSink sink(out);
    return decoder.decode(in, packed.size(), size, sink);
}

void ExpectDecodes(StreamBuilder& b) {
    const Bytes packed = b.Finish();
    auto decoder = MakeDecoder();
    Bytes out;
    ASSERT_EQ(Decode(*decoder, packed, b.expected().size(), out), Status::kOk);
    EXPECT_EQ(out, b.expected());
}

TEST(Rar20Decoder, EveryKindOfMatchCopiesWhatItNames) {
    StreamBuilder b;
    b.LzTables(false);
    for (char c : std::string("hello, world")) b.Literal(static_cast<std::uint8_t>(c));
    // Short match: slot 1 is distance 5 + 2 bits.
    b.Main(261 + 1);
    b.Extra(2, 2);
    b.Expect(2, 7);
    // Long match: length slot 9 (10 + 1 bit) + 3, distance code 6 (9 + 2 bits).
    b.Main(270 + 9);
    b.Extra(1, 1);
    b.Distance(6);
    b.Extra(2, 0);
    b.Expect(14, 9);
    // The last match again.
    b.Main(256);
    b.Expect(14, 9);
    // Recent distances: 257 is the last one (9), 258 the one before (7), with a length from
    // the repeat table (slot 1: 1 + 2).
    b.Main(258);
    b.Repeat(1);
    b.Expect(3, 9);
    b.Main(258);
    b.Repeat(0);
    b.Expect(2, 9);
    // New tables, coded as no change, then a far match: 8193 + 12 bits, one byte longer.
    b.Main(269);
    b.LzTables(true);
    b.Main(270 + 0);
    b.Distance(26);
    b.Extra(12, 5);
    b.Expect(3 + 1, 8198);
    // Beyond 256 KiB: two bytes longer; then a recent far distance, three longer.
    b.Main(270 + 1);
    b.Distance(36);
    b.Extra(16, 0);
    b.Expect(4 + 2, 262145);
    b.Main(257);
    b.Repeat(2);
    b.Expect(4 + 3, 262145);
    b.Literal('!');
    ExpectDecodes(b);
}

TEST(Rar20Decoder, AudioBlocksTakeTheirChannelsInTurnThenLzResumes) {
    StreamBuilder b;
    b.AudioTables(2);
    // Channel 0 falls by 3 then holds; channel 1 rises by 4 then holds.
    b.Audio(3);
    b.ExpectByte(253);
    b.Audio(256 - 4);
    b.ExpectByte(4);
    b.Audio(0);
    b.ExpectByte(253);
    b.Audio(0);
    b.ExpectByte(4);
    b.Audio(256);  // new tables: back to LZ
    b.LzTables(false);
    b.Literal('x');
    b.Main(261);
    b.Extra(2, 3);  // distance 4: the first audio byte
    b.Expect(2, 4);
    ExpectDecodes(b);
}

TEST(Rar20Decoder, ASolidFileReachesBackIntoTheOneBefore) {
    StreamBuilder first;
    first.LzTables(false);
    for (char c : std::string("solid stream")) first.Literal(static_cast<std::uint8_t>(c));
    const Bytes first_packed = first.Finish();

    // The second file reads no tables: the first file's still hold.
    StreamBuilder second;
    second.Main(270 + 3);  // length 6
    second.Distance(6);    // 9 + 2 bits
    second.Extra(2, 3);
    const Bytes second_packed = second.Finish();

    auto decoder = MakeDecoder();
    ASSERT_TRUE(decoder->prepare({64 * 1024, false}));
    Bytes out;
    ASSERT_EQ(Decode(*decoder, first_packed, 12, out), Status::kOk);
    ASSERT_TRUE(decoder->prepare({64 * 1024, true}));
    ASSERT_EQ(Decode(*decoder, second_packed, 6, out), Status::kOk);
    EXPECT_EQ(std::string(out.begin(), out.end()), "solid ");

    // Without the stream going on, the same bytes have no tables to be read with.
    ASSERT_TRUE(decoder->prepare({64 * 1024, false}));
    EXPECT_NE(Decode(*decoder, second_packed, 6, out), Status::kOk);
}

TEST(Rar20Decoder, PrepareRefusesWhatItCannotHold) {
    struct Case {
        std::uint64_t window;
        bool continues;
        bool accepted;
    };
    const Case cases[] = {
        {0, false, true},
        {1 << 20, false, true},
        {kMaxWindow, false, true},
        {kMaxWindow + 1, false, false},
    };
    for (const Case& c : cases) {
        auto decoder = MakeDecoder();
        EXPECT_EQ(decoder->prepare({c.window, c.continues}), c.accepted) << c.window;
    }
    // Nothing to continue before a first file.
    EXPECT_FALSE(MakeDecoder()->prepare({1 << 20, true}));
}

TEST(Rar20Decoder, DamageIsToldNotDecoded) {
    struct Case {
        const char* what;
        Bytes packed;
        Status status;
    };
    StreamBuilder good;
    good.LzTables(false);
    for (int i = 0; i < 40; ++i) good.Literal('a');
    const Bytes whole = good.Finish();
    // A repeat (code 16) before any length: level lengths all 1 except code 16's.
    Bytes repeat_first(12, 0);
    repeat_first[0] = 0x00;  // LZ, fresh tables; level lengths follow as zeros: no codes
    const Case cases[] = {
        {"cut short", Bytes(whole.begin(), whole.begin() + 30), Status::kTruncated},
        {"no level codes", repeat_first, Status::kCorrupt},
        {"empty", Bytes{}, Status::kTruncated},
    };
    for (const Case& c : cases) {
        auto decoder = MakeDecoder();
        Bytes out;
        EXPECT_EQ(Decode(*decoder, c.packed, 40, out), c.status) << c.what;
    }
}

TEST(Rar20Decoder, TheRealProgramsFileDecodesToItsCrc) {
    // rarfile's rar2-unix-owner.rar: one file of version 20, method 3; the reader checks its CRC.
    using namespace ::quorvex6::backend::rar;
    VolumeSet set = OpenSet(RarData("rarfile/rar2-unix-owner.rar"));
    const JoinedEntry* entry = Find(set, "file.txt");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->entry.version, 20);
    const Decoded decoded = DecodeEntry(set, *entry);
    EXPECT_FALSE(decoded.fault.has_value());
    EXPECT_EQ(decoded.bytes.size(), 4u);
}

}  // namespace
}  // namespace quorvex6::backend::codecs::rar2
