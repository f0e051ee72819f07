// Quantum streams through our encoder and decoder frame by frame: every level and window,
// data that packs well, badly or not at all, and the slot tables both sides share.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codecs/quantum/quantum.h"
#include "codecs/quantum/quantum_slots.h"
#include "noise_bytes.h"

namespace quorvex6::backend::codecs::quantum {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::Noise;

Bytes Text(std::size_t size) {
    std::string s;
    for (int i = 0; s.size() < size; ++i)
        s += "line " + std::to_string(i % 977) + " of " + std::to_string(i * 7 % 13) + "\n";
    return Bytes(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(size));
}

// Runs and far repeats: matches of every length up to the longest, at every distance class.
Bytes Repeats(std::size_t size) {
    Bytes out = Noise(size, 99);
    std::uint32_t x = 5;
    for (std::size_t at = 300; at < size;) {
        x = x * 69069u + 1;
        std::size_t length = 3 + (x >> 8) % 300, back = 1 + (x >> 12) % (at < 600000 ? at : 600000);
        for (std::size_t i = 0; i < length && at < size; ++i, ++at) out[at] = out[at - back];
        at += (x >> 20) % 8;
    }
    return out;
}

struct Encoded {
    std::vector<Bytes> frames;
    std::size_t packed = 0;
};

Encoded Encode(const Bytes& data, unsigned window_bits, unsigned level) {
    FrameEncoder encoder(window_bits, level);
    Encoded out;
    for (std::size_t at = 0; at < data.size(); at += kFrameLimit) {
        std::size_t n = std::min(kFrameLimit, data.size() - at);
        Bytes frame;
        encoder.Encode(std::span(data.data() + at, n), frame);
        out.packed += frame.size();
        out.frames.push_back(std::move(frame));
    }
    return out;
}

// Decodes with every frame cut to its own bytes, as a reader hands them over.
Bytes Decode(const Encoded& encoded, std::size_t size, unsigned window_bits) {
    FrameDecoder decoder(window_bits);
    Bytes out(size);
    std::size_t at = 0;
    for (const Bytes& frame : encoded.frames) {
        std::size_t n = std::min(kFrameLimit, size - at);
        if (decoder.Decode(frame, std::span(out.data() + at, n)) != Status::kOk) return {};
        at += n;
    }
    return out;
}

TEST(QuantumEncoder, RoundTripsAtEveryLevelAndWindow) {
    struct Case {
        const char* name;
        Bytes data;
        unsigned window_bits;
        std::size_t most;  // packed bytes allowed
    };
    std::vector<Case> cases = {
        {"one byte", Bytes{0x41}, 21, 4},
        {"two frames and a byte", Text(2 * kFrameLimit + 1), 21, 16000},
        {"text past a small window", Text(200000), 10, 60000},
        {"text, 2^12", Text(200000), 12, 50000},
        {"text, 2^15", Text(200000), 15, 50000},
        {"text, 2^17", Text(300000), 17, 75000},
        {"repeats, 2^20", Repeats(700000), 20, 700000},
        {"repeats, 2^21", Repeats(700000), 21, 700000},
        {"zeros", Bytes(100000, 0), 21, 600},
        {"noise", Noise(100000, 3), 21, 103000},
    };
    for (const Case& c : cases) {
        for (unsigned level = kMinLevel; level <= kMaxLevel; ++level) {
            SCOPED_TRACE(std::string(c.name) + " level " + std::to_string(level));
            Encoded encoded = Encode(c.data, c.window_bits, level);
            EXPECT_LE(encoded.packed, c.most);
            EXPECT_EQ(Decode(encoded, c.data.size(), c.window_bits), c.data);
        }
    }
}

// Noise repeated every `period` bytes: matches at that distance, as long as the encoder takes.
Bytes Periodic(std::size_t size, std::size_t period) {
    Bytes out = Noise(size, 7);
    for (std::size_t at = period; at < size; ++at) out[at] = out[at - period];
    return out;
}

// A match is copied whole only when its source and its place neither overlap nor wrap round
// the window; every other case goes a byte at a time and must give the same bytes.
TEST(QuantumEncoder, MatchesOverlappingOrWrappingTheWindowRoundTrip) {
    struct Case {
        std::size_t period;
        unsigned window_bits;
    };
    const Case cases[] = {
        {1, 10},    {3, 10},    {15, 10},   {16, 10},   {17, 10},  {100, 10},
        {1000, 10}, {1023, 10}, {1024, 10}, {4096, 12}, {300, 21}, {5000, 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("period " + std::to_string(c.period) + " window 2^" +
                     std::to_string(c.window_bits));
        const Bytes data = Periodic(3 * kFrameLimit + 123, c.period);
        for (unsigned level : {kMinLevel, 4u}) {
            Encoded encoded = Encode(data, c.window_bits, level);
            EXPECT_LT(encoded.packed, data.size() / 4) << "level " << level;
            EXPECT_EQ(Decode(encoded, data.size(), c.window_bits), data) << "level " << level;
        }
    }
}

TEST(QuantumEncoder, HarderLevelsPackSmallerAndMatchesReachIntoEarlierFrames) {
    Bytes data = Repeats(400000);
    std::size_t fast = Encode(data, 21, 1).packed, best = Encode(data, 21, 7).packed;
    EXPECT_LT(best, fast);

    // A frame that repeats the one before it is a few long matches.
    Bytes noise = Noise(kFrameLimit, 8);
    Bytes twice = noise;
    twice.insert(twice.end(), noise.begin(), noise.end());
    Encoded encoded = Encode(twice, 16, 1);
    EXPECT_LT(encoded.frames[1].size(), 400u);
}

TEST(QuantumEncoder, AResetEncoderStartsAFreshFolder) {
    Bytes data = Text(100000);
    FrameEncoder encoder(16, 5);
    Bytes first, again;
    encoder.Encode(std::span(data.data(), kFrameLimit), first);
    encoder.Reset();
    encoder.Encode(std::span(data.data(), kFrameLimit), again);
    EXPECT_EQ(first, again);
}

TEST(QuantumEncoder, NoiseGrowsLessThanReadersAllow) {
    // No stored frames exist, so the coder alone bounds the growth of data it cannot shrink.
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        Encoded encoded = Encode(Noise(4 * kFrameLimit, seed), 21, 7);
        for (const Bytes& frame : encoded.frames) EXPECT_LE(frame.size(), kFrameLimit + 6144);
    }
}

TEST(QuantumSlots, EveryOffsetAndLengthLandsInItsSlot) {
    struct Case {
        std::uint32_t distance;
        unsigned slot;
    };
    const Case positions[] = {{0, 0},       {1, 1},       {3, 3},        {4, 4},
                              {5, 4},       {6, 5},       {4095, 23},    {4096, 24},
                              {262143, 35}, {262144, 36}, {1572863, 40}, {1572864, 41},
                              {2097151, 41}};
    for (const Case& c : positions) {
        EXPECT_EQ(PositionSlot(c.distance), c.slot) << c.distance;
        EXPECT_LT(c.distance - kSlots.position_base[c.slot], 1u << kSlots.position_extra[c.slot]);
    }
    const Case lengths[] = {{0, 0}, {5, 5}, {6, 6}, {7, 6}, {8, 7}, {253, 25}, {254, 26}};
    for (const Case& c : lengths) {
        EXPECT_EQ(LengthSlot(c.distance), c.slot) << c.distance;
        EXPECT_LT(c.distance - kSlots.length_base[c.slot], 1u << kSlots.length_extra[c.slot]);
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs::quantum
