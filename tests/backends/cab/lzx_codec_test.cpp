// LZX streams through our encoder and decoder frame by frame, and the pieces each relies on:
// the E8 translation, the code lengths and the checks on broken input.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codecs/lzx/lzx_bit_writer.h"
#include "codecs/lzx/lzx_decoder.h"
#include "codecs/lzx/lzx_e8.h"
#include "codecs/lzx/lzx_encoder.h"
#include "codecs/lzx/lzx_huffman_decoder.h"
#include "codecs/lzx/lzx_huffman_encoder.h"
#include "noise_bytes.h"

namespace quorvex6::backend::codecs::lzx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<Bytes>;

using test::Noise;

Bytes Text(std::size_t size) {
    std::string s;
    for (int i = 0; s.size() < size; ++i)
        s += "line " + std::to_string(i % 977) + " of " + std::to_string(i * 7 % 13) + "\n";
    return Bytes(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(size));
}

// x86-like bytes: calls to a few targets, so the E8 translation has work to do.
Bytes Calls(std::size_t size) {
    Bytes out = Text(size);
    std::uint32_t x = 1;
    for (std::size_t i = 0; i + 5 <= size; i += 37) {
        x = x * 69069u + 1;
        auto target = static_cast<std::int32_t>((x >> 20) * 64) - static_cast<std::int32_t>(i);
        out[i] = 0xE8;
        for (int k = 0; k < 4; ++k) out[i + 1 + k] = static_cast<std::uint8_t>(target >> (8 * k));
    }
    return out;
}

Frames Encode(const Bytes& data, Encoder& encoder) {
    encoder.Reset();
    std::vector<PackedFrame> packed;
    for (std::size_t at = 0; at < data.size(); at += kFrameSize) {
        std::size_t n = std::min(kFrameSize, data.size() - at);
        encoder.EncodeFrame(std::span(data.data() + at, n), packed);
    }
    encoder.Finish(packed);
    Frames frames;
    for (std::size_t i = 0; i < packed.size(); ++i) {
        EXPECT_EQ(packed[i].size, std::min(kFrameSize, data.size() - i * kFrameSize));
        frames.push_back(std::move(packed[i].bytes));
    }
    EXPECT_EQ(frames.size(), (data.size() + kFrameSize - 1) / kFrameSize);
    return frames;
}

Frames Encode(const Bytes& data, unsigned window_bits) {
    Encoder encoder(window_bits);
    return Encode(data, encoder);
}

// The stream's bytes, or the status of the first frame that failed.
Status Decode(const Frames& frames, std::size_t size, unsigned window_bits, Bytes& out) {
    Decoder decoder(window_bits);
    out.assign(size, 0);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        std::size_t at = i * kFrameSize;
        std::size_t n = std::min(kFrameSize, size - at);
        Status status = decoder.DecodeFrame(frames[i], std::span(out.data() + at, n));
        if (status != Status::kOk) return status;
    }
    return Status::kOk;
}

TEST(Lzx, StreamsRoundTripInEveryWindow) {
    Bytes mixed = Text(200000);
    Bytes noise = Noise(70000, 5);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    Bytes text = Text(300001);
    // Far repeats: the second half copies the first from further than small windows reach.
    Bytes far = Noise(1200000, 9);
    std::copy(far.begin(), far.begin() + 600000, far.begin() + 600000);
    const struct {
        const char* name;
        Bytes data;
    } cases[] = {
        {"one byte", {0x41}},        {"short odd", Bytes{'a', 'b', 'a', 'b', 'a', 'b', 'a'}},
        {"zeros", Bytes(100000, 0)}, {"text", text},
        {"noise", Noise(100001, 3)}, {"text then noise", mixed},
        {"calls", Calls(150000)},    {"far repeats", far},
    };
    for (unsigned bits = kMinWindowBits; bits <= kMaxWindowBits; ++bits) {
        for (const auto& c : cases) {
            Frames frames = Encode(c.data, bits);
            Bytes out;
            ASSERT_EQ(Decode(frames, c.data.size(), bits, out), Status::kOk)
                << c.name << " " << bits;
            ASSERT_EQ(out, c.data) << c.name << " " << bits;
            for (const Bytes& frame : frames) {
                EXPECT_EQ(frame.size() % 2, 0u) << c.name << " " << bits;
                EXPECT_LE(frame.size(), kFrameSize + 24) << c.name << " " << bits;
            }
        }
    }
}

// One encoder, stream after stream: nothing of an earlier stream may leak into the next,
// whether it was small (its buckets are cleared one by one) or slid the window.
TEST(Lzx, AnEncoderStartsEachStreamAfresh) {
    Encoder encoder(15);
    const Bytes streams[] = {Text(5000), Calls(3000), Noise(200000, 8), Text(4000), Bytes(7, 'x')};
    for (const Bytes& data : streams) {
        Frames frames = Encode(data, encoder);
        Bytes out;
        ASSERT_EQ(Decode(frames, data.size(), 15, out), Status::kOk) << data.size();
        EXPECT_EQ(out, data) << data.size();
    }
}

// Streams as other encoders may write them: an odd uncompressed block running across a frame,
// its pad byte, and the next block after it in the same frame.
TEST(Lzx, UncompressedBlocksAcrossFrames) {
    const Bytes first = Noise(kFrameSize + 1, 2), second = Noise(99, 3);
    auto stored_header = [](BitWriter& bits, std::size_t size) {
        bits.Write(static_cast<std::uint32_t>(BlockType::kUncompressed), 3);
        bits.Write(static_cast<std::uint32_t>(size >> 8), 16);
        bits.Write(static_cast<std::uint32_t>(size & 0xFF), 8);
        bits.Align(true);
    };
    auto repeats = [](Bytes& out) {
        for (int r = 0; r < 3; ++r) out.insert(out.end(), {1, 0, 0, 0});
    };
    Frames frames(2);
    BitWriter head(frames[0]);
    head.Write(0, 1);  // no E8 translation
    stored_header(head, first.size());
    repeats(frames[0]);
    frames[0].insert(frames[0].end(), first.begin(), first.begin() + kFrameSize);
    frames[1] = {first.back(), 0};  // the last byte and its pad
    BitWriter next(frames[1]);
    stored_header(next, second.size());
    repeats(frames[1]);
    frames[1].insert(frames[1].end(), second.begin(), second.end());
    frames[1].push_back(0);

    Bytes expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    Bytes out;
    ASSERT_EQ(Decode(frames, expected.size(), 16, out), Status::kOk);
    EXPECT_EQ(out, expected);
}

TEST(Lzx, CompressesWhatRepeats) {
    const struct {
        const char* name;
        Bytes data;
        unsigned bits;
        double most;  // packed / unpacked
    } cases[] = {
        {"text", Text(400000), 21, 0.15},
        {"zeros", Bytes(200000, 0), 15, 0.01},
        // Repeats 1.5 MiB apart: only the largest windows see them.
        {"far repeats",
         [] {
             Bytes d = Noise(3 << 20, 4);
             std::copy(d.begin(), d.begin() + (3 << 19), d.begin() + (3 << 19));
             return d;
         }(),
         21, 0.55},
    };
    for (const auto& c : cases) {
        std::size_t packed = 0;
        for (const Bytes& f : Encode(c.data, c.bits)) packed += f.size();
        EXPECT_LT(static_cast<double>(packed), c.most * static_cast<double>(c.data.size()))
            << c.name;
    }
}

TEST(Lzx, E8TranslationIsUndoneExactly) {
    for (std::uint32_t position : {0u, 32768u, 1u << 29}) {
        Bytes data = Calls(32768);
        Bytes noise = Noise(32768, position + 1);
        for (std::size_t i = 0; i < noise.size(); i += 7) noise[i] = 0xE8;
        for (const Bytes& original : {data, noise}) {
            Bytes frame = original;
            E8Encode(frame, position, kE8FileSize);
            EXPECT_NE(frame, original);
            E8Decode(frame, position, kE8FileSize);
            EXPECT_EQ(frame, original) << position;
        }
    }
    // The last ten bytes of a frame, and frames of ten bytes or fewer, are left alone.
    Bytes tail(20, 0);
    tail[10] = 0xE8;
    Bytes small(10, 0);
    small[0] = 0xE8;
    for (Bytes* frame : {&tail, &small}) {
        Bytes before = *frame;
        E8Decode(*frame, 100, kE8FileSize);
        EXPECT_EQ(*frame, before);
    }
}

TEST(Lzx, CodeLengthsAreCompleteAndLimited) {
    const struct {
        const char* name;
        std::vector<std::uint32_t> counts;
        unsigned limit;
    } cases[] = {
        {"one symbol", {0, 0, 9, 0}, 16},
        {"two", {5, 0, 0, 1}, 16},
        {"skewed past the limit",
         [] {
             std::vector<std::uint32_t> c;
             std::uint32_t f = 1;
             for (int i = 0; i < 30; ++i, f = f * 3 / 2 + 1) c.push_back(f);
             return c;
         }(),
         7},
        {"flat", std::vector<std::uint32_t>(249, 3), 16},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> lengths(c.counts.size());
        BuildLengths(c.counts, c.limit, lengths);
        HuffmanDecoder decoder(8, static_cast<unsigned>(lengths.size()));
        EXPECT_TRUE(decoder.Build(lengths, false)) << c.name;
        for (std::size_t s = 0; s < lengths.size(); ++s) {
            EXPECT_LE(lengths[s], c.limit) << c.name;
            EXPECT_TRUE(c.counts[s] == 0 || lengths[s] != 0) << c.name << " " << s;
        }
    }
    HuffmanDecoder decoder(8, 4);
    const std::uint8_t incomplete[] = {1, 2, 0, 0}, oversubscribed[] = {1, 1, 1, 0},
                       empty[] = {0, 0, 0, 0};
    EXPECT_FALSE(decoder.Build(incomplete, true));
    EXPECT_FALSE(decoder.Build(oversubscribed, true));
    EXPECT_FALSE(decoder.Build(empty, false));
    EXPECT_TRUE(decoder.Build(empty, true));
}

// Broken streams end in a status, never past a buffer or in a loop.
TEST(Lzx, DamageIsAStatus) {
    Bytes data = Text(100000);
    Frames good = Encode(data, 16);
    Bytes noise_data = Noise(40000, 1);
    Frames stored = Encode(noise_data, 16);
    Bytes out;
    struct Case {
        const char* name;
        Frames frames;
        std::size_t size;
    };
    std::vector<Case> cases;
    Frames cut = good;
    cut[1].resize(cut[1].size() / 2);
    cases.push_back({"frame cut short", cut, data.size()});
    Frames stored_cut = stored;
    stored_cut[0].resize(1000);
    cases.push_back({"stored block cut short", stored_cut, noise_data.size()});
    Frames empty_frame = good;
    empty_frame[0].clear();
    cases.push_back({"no bytes", empty_frame, data.size()});
    cases.push_back({"block type 0", {Bytes(8, 0)}, 100});
    cases.push_back({"block type 7", {Bytes{0x00, 0x70, 0, 0, 0, 0}}, 100});
    for (const Case& c : cases) EXPECT_NE(Decode(c.frames, c.size, 16, out), Status::kOk) << c.name;

    // Every single-byte change either fails or decodes to something else, within bounds.
    for (std::size_t i = 0; i < good[0].size(); i += 7) {
        Frames changed = good;
        changed[0][i] ^= 0x5A;
        Decode(changed, data.size(), 16, out);
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs::lzx
