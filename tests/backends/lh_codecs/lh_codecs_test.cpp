#include "codecs/codec.h"
#include "backends/lh_codecs/memory_streams.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quorvex6::codecs {
namespace {

using test::MemorySink;
using test::MemorySource;
using Bytes = std::vector<std::uint8_t>;

Bytes text_like(std::size_t size, unsigned seed) {
    static const char* words[] = {"archive ", "header ", "static ", "int ", "return ", "{\n",
                                  "}\n", "const ", "char* ", "window ", "=", ";\n", "  "};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < size) {
        const char* w = words[rng() % 13];
        out.insert(out.end(), w, w + std::strlen(w));
    }
    out.resize(size);
    return out;
}

Bytes random_bytes(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out) b = static_cast<std::uint8_t>(rng());
    return out;
}

Status encode(const char* id, const Bytes& in, Bytes& out, std::uint64_t limit = UINT64_MAX) {
    auto enc = find_method(id)->make_encoder();
    MemorySource src(in, 1000);
    MemorySink sink;
    Status s = enc->encode(src, sink, limit);
    out = std::move(sink.bytes);
    return s;
}

Status decode(const char* id, const Bytes& packed, std::uint64_t size, Bytes& out) {
    auto dec = find_method(id)->make_decoder();
    MemorySource src(packed, 777);
    MemorySink sink;
    Status s = dec->decode(src, packed.size(), size, sink);
    out = std::move(sink.bytes);
    return s;
}

struct Sample {
    const char* name;
    Bytes data;
};

std::vector<Sample> samples() {
    Bytes runs(200000, 'a');
    for (std::size_t i = 0; i < runs.size(); i += 1000) runs[i] = static_cast<std::uint8_t>(i / 1000);
    Bytes mixed = text_like(150000, 3);
    Bytes noise = random_bytes(50000, 4);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    Bytes far = random_bytes(40000, 9);
    far.insert(far.end(), far.begin(), far.end());  // repeats at distance 40000
    return {{"empty", {}},
            {"one", {'x'}},
            {"three", {'a', 'b', 'c'}},
            {"text", text_like(300000, 1)},
            {"random", random_bytes(70000, 2)},
            {"runs", runs},
            {"mixed", mixed},
            {"far", far}};
}

class RoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, EverySampleComesBackByteForByte) {
    for (const Sample& s : samples()) {
        Bytes packed, back;
        ASSERT_EQ(encode(GetParam(), s.data, packed), Status::ok) << s.name;
        ASSERT_EQ(decode(GetParam(), packed, s.data.size(), back), Status::ok) << s.name;
        EXPECT_EQ(back, s.data) << s.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Encoders, RoundTrip, ::testing::Values("lh0", "lh1", "lh5", "lh6", "lh7"));

TEST(Encoders, CompressTextAndUseTheirWindow) {
    Bytes text = text_like(300000, 5);
    Bytes far = random_bytes(20000, 6);
    far.insert(far.end(), far.begin(), far.end());
    for (const char* id : {"lh1", "lh5", "lh6", "lh7"}) {
        Bytes packed;
        ASSERT_EQ(encode(id, text, packed), Status::ok);
        EXPECT_LT(packed.size(), text.size() / 3) << id;
    }
    // A repeat 20000 bytes back is in reach of lh6/lh7 only.
    Bytes p5, p6, p7;
    ASSERT_EQ(encode("lh5", far, p5), Status::ok);
    ASSERT_EQ(encode("lh6", far, p6), Status::ok);
    ASSERT_EQ(encode("lh7", far, p7), Status::ok);
    EXPECT_GT(p5.size(), 39000u);
    EXPECT_LT(p6.size(), 22000u);
    EXPECT_LT(p7.size(), 22000u);
}

TEST(Encoders, StopOnceTheOutputPassesTheLimit) {
    Bytes noise = random_bytes(300000, 7);
    for (const char* id : {"lh0", "lh1", "lh5", "lh7"}) {
        Bytes packed;
        EXPECT_EQ(encode(id, noise, packed, noise.size() - 1), Status::expanded) << id;
    }
}

// Damaged streams must end in an error or in output of the declared size, never a crash.
TEST(Decoders, SurviveDamagedAndShortStreams) {
    Bytes text = text_like(100000, 8);
    for (const char* id : {"lh1", "lh5", "lh6", "lh7"}) {
        Bytes packed;
        ASSERT_EQ(encode(id, text, packed), Status::ok);
        Bytes cut(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packed.size() / 2));
        Bytes back;
        EXPECT_EQ(decode(id, cut, text.size(), back), Status::truncated) << id;
        std::mt19937 rng(11);
        for (int round = 0; round < 50; ++round) {
            Bytes bad = packed;
            for (int k = 0; k < 4; ++k) bad[rng() % bad.size()] ^= static_cast<std::uint8_t>(1 + rng() % 255);
            Status s = decode(id, bad, text.size(), back);
            if (s == Status::ok) {
                EXPECT_EQ(back.size(), text.size()) << id;
            }
        }
    }
    for (const char* id : {"lh4", "lzs", "lz5", "lh0", "lz4"}) {
        Bytes noise = random_bytes(5000, 12);
        Bytes back;
        Status s = decode(id, noise, 100000, back);
        EXPECT_NE(s, Status::ok) << id;
    }
}

// Hand-assembled LArc streams: literals, then copies out of the preset history.
TEST(Decoders, ReadLarcStreamsAgainstTheirPresetHistory) {
    // lz5: flag byte 0b0000'0011 = two literals, then a copy of 4 from 0x381, where the preset
    // history holds its run of 13 'E's (0x45 * 13).
    Bytes lz5 = {0x03, 'h', 'i', 0x81, 0x31};
    Bytes back;
    ASSERT_EQ(decode("lz5", lz5, 6, back), Status::ok);
    EXPECT_EQ(std::string(back.begin(), back.end()), "hiEEEE");
    // lzs: bit 1 + 'Z', then bit 0 + position 2047-16 (the 'Z' just written) + length 3 (=1+2).
    // 1 01011010 0 11111101111 0001 -> pad
    Bytes lzs = {0xAD, 0x3F, 0x78, 0x80};
    ASSERT_EQ(decode("lzs", lzs, 4, back), Status::ok);
    EXPECT_EQ(std::string(back.begin(), back.end()), "ZZZZ");
}

}  // namespace
}  // namespace quorvex6::codecs
