// CAB's frame codecs through their rows: every row at a few setups packs and unpacks streams of
// every shape (nothing, a byte, one full frame, several, noise), and one encoder and decoder
// serve streams one after another after Reset. The rows' ranges are what the codecs take.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/method_tables.h"
#include "codecs/mszip/mszip.h"

namespace quorvex6::backend::codecs {
namespace {

using Bytes = std::vector<std::uint8_t>;

// What a packed frame may grow to: no reader takes more.
constexpr std::size_t kPackedLimit = kFrameLimit + 6144;

Bytes Noise(std::size_t size, std::uint32_t seed) {
    Bytes out(size);
    for (auto& b : out) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 24);
    }
    return out;
}

Bytes Text(std::size_t size) {
    std::string text;
    for (std::uint64_t i = 0; text.size() < size; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + (i % 7 ? " of words\n" : " x\n");
    return Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
}

struct Input {
    const char* what;
    Bytes bytes;
};

std::vector<Input> Inputs() {
    Bytes mixed = Text(3 * kFrameLimit + 5000);
    const Bytes noise = Noise(20000, 7);
    std::copy(noise.begin(), noise.end(), mixed.begin() + 40000);  // a frame that cannot shrink
    return {
        {"nothing", {}},
        {"one byte", {'a'}},
        {"one full frame", Text(kFrameLimit)},
        {"several frames", mixed},
        {"noise", Noise(2 * kFrameLimit + 1, 3)},
    };
}

std::vector<PackedFrame> Pack(FrameEncoder& encoder, const Bytes& input) {
    std::vector<PackedFrame> frames;
    for (std::size_t at = 0; at < input.size(); at += kFrameLimit)
        encoder.Encode(std::span(input).subspan(at, std::min(kFrameLimit, input.size() - at)),
                       frames);
    encoder.Finish(frames);
    return frames;
}

// The frames decoded into one stream; empty with a failure noted when one does not decode.
Bytes Unpack(FrameDecoder& decoder, const std::vector<PackedFrame>& frames) {
    Bytes out;
    for (const PackedFrame& frame : frames) {
        const std::size_t at = out.size();
        out.resize(at + frame.size);
        if (decoder.Decode(frame.bytes, std::span(out).subspan(at)) != Status::kOk) {
            ADD_FAILURE() << "frame " << &frame - frames.data() << " does not decode";
            return {};
        }
    }
    return out;
}

TEST(FrameCodecs, EveryRowRoundTripsEveryShapeOfStream) {
    const struct {
        const char* id;
        FrameSetup setup;
    } cases[] = {
        {"mszip", {15, mszip::kDefaultLevel}},
        {"mszip", {15, 1}},
        {"mszip", {15, 9}},
        {"lzx", {15, 0}},
        {"lzx", {17, 0}},
        {"lzx", {21, 0}},
        {"quantum", {10, 1}},
        {"quantum", {16, 4}},
        {"quantum", {21, 7}},
    };
    const std::vector<Input> inputs = Inputs();
    for (const auto& c : cases) {
        const FrameMethod* row = FindFrameMethod(FrameMethods(), c.id);
        ASSERT_NE(row, nullptr) << c.id;
        ASSERT_TRUE(row->Accepts(c.setup)) << c.id;
        auto encoder = row->make_encoder(c.setup);
        auto decoder = row->make_decoder(c.setup);
        // One encoder and decoder for all inputs: each stream must start clean after Reset.
        for (const Input& input : inputs) {
            SCOPED_TRACE(std::string(c.id) + " window " + std::to_string(c.setup.window_bits) +
                         " level " + std::to_string(c.setup.level) + ", " + input.what);
            encoder->Reset();
            decoder->Reset();
            const std::vector<PackedFrame> frames = Pack(*encoder, input.bytes);
            EXPECT_EQ(frames.size(), (input.bytes.size() + kFrameLimit - 1) / kFrameLimit);
            for (std::size_t i = 0; i < frames.size(); ++i) {
                if (i + 1 < frames.size()) {
                    EXPECT_EQ(frames[i].size, kFrameLimit) << i;
                }
                EXPECT_LE(frames[i].bytes.size(), kPackedLimit) << i;
            }
            EXPECT_TRUE(Unpack(*decoder, frames) == input.bytes);
        }
    }
}

TEST(FrameCodecs, RowsAreFoundByIdAndTakeOnlyTheirRanges) {
    EXPECT_EQ(FindFrameMethod(FrameMethods(), "no-such-method"), nullptr);
    EXPECT_EQ(FindFrameMethod(FrameMethods(), "deflate"), nullptr);
    EXPECT_EQ(FindFrameMethod(FrameMethods(), ""), nullptr);
    // Frame codecs are no stream rows: a stream container cannot take one by mistake.
    for (const char* id : {"mszip", "lzx", "quantum"}) EXPECT_EQ(FindMethod(id), nullptr) << id;

    const struct {
        const char* id;
        FrameSetup setup;
        bool accepted;
    } cases[] = {
        {"mszip", {15, mszip::kDefaultLevel}, true},
        {"mszip", {15, 9}, true},
        {"mszip", {15, 10}, false},
        {"mszip", {15, -2}, false},
        {"mszip", {16, 6}, false},
        {"lzx", {14, 0}, false},
        {"lzx", {15, 0}, true},
        {"lzx", {21, 0}, true},
        {"lzx", {22, 0}, false},
        {"lzx", {21, 1}, false},
        {"quantum", {9, 1}, false},
        {"quantum", {10, 1}, true},
        {"quantum", {21, 7}, true},
        {"quantum", {22, 7}, false},
        {"quantum", {21, 0}, false},
        {"quantum", {21, 8}, false},
    };
    for (const auto& c : cases) {
        const FrameMethod* row = FindFrameMethod(FrameMethods(), c.id);
        ASSERT_NE(row, nullptr) << c.id;
        EXPECT_EQ(row->Accepts(c.setup), c.accepted)
            << c.id << " window " << c.setup.window_bits << " level " << c.setup.level;
        ASSERT_NE(row->make_decoder, nullptr) << c.id;
        ASSERT_NE(row->make_encoder, nullptr) << c.id;
    }
}

TEST(FrameCodecs, QuantumEncodersBudgetGrowsWithTheWindow) {
    const FrameMethod* row = FindFrameMethod(FrameMethods(), "quantum");
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->encoder_footprint, nullptr);
    const std::uint64_t small = row->encoder_footprint({10, 1});
    const std::uint64_t large = row->encoder_footprint({21, 1});
    EXPECT_GT(small, 0u);
    EXPECT_GE(large, small + (std::uint64_t{1} << 21) - (std::uint64_t{1} << 10));
}

}  // namespace
}  // namespace quorvex6::backend::codecs
