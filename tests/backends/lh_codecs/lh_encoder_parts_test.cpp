#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "backends/lh_codecs/memory_streams.h"
#include "codecs/codec.h"
#include "codecs/lh/bit_writer.h"
#include "codecs/lh/huffman_encoder.h"

namespace quorvex6::backend::codecs {
namespace {

using test::MemorySink;
using test::MemorySource;
using Bytes = std::vector<std::uint8_t>;

struct LengthCase {
    const char* name;
    std::vector<std::uint32_t> freq;
    int max_bits;
    std::vector<std::uint8_t> expected;  // empty: only the properties are checked
};

std::vector<std::uint32_t> Fibonacci(int count) {
    std::vector<std::uint32_t> f{1, 1};
    while (static_cast<int>(f.size()) < count) f.push_back(f[f.size() - 1] + f[f.size() - 2]);
    return f;
}

std::vector<std::uint32_t> Spread(int count, int used, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint32_t> f(static_cast<std::size_t>(count), 0);
    for (int i = 0; i < used; ++i) f[rng() % f.size()] += 1 + rng() % 5000;
    return f;
}

TEST(HuffmanLengths, AreOptimalPrefixCodesWithinTheirLimit) {
    const LengthCase cases[] = {
        {"one symbol", {0, 7, 0}, 16, {0, 0, 0}},
        {"two symbols", {3, 0, 9}, 16, {1, 0, 1}},
        {"skewed", {1, 1, 2, 4}, 16, {3, 3, 2, 1}},
        {"even", std::vector<std::uint32_t>(8, 5), 16, std::vector<std::uint8_t>(8, 3)},
        // Equal weights merge in symbol order, so the last of three is the one left alone.
        {"ties", {5, 5, 5}, 16, {2, 2, 1}},
        // Weights that differ only in their top byte, or only in a lower one, order alike.
        {"weights of every byte width",
         {0x3000000, 0x10000, 0x100, 1, 0x1000000},
         16,
         {1, 3, 4, 4, 2}},
        // Unlimited, the rarest would need 29 bits: the limit has to lengthen and give back.
        {"fibonacci past 16 bits", Fibonacci(30), 16, {}},
        {"fibonacci past 7 bits", Fibonacci(19), 7, {}},
        {"the literal alphabet", Spread(510, 2000, 1), 16, {}},
        {"a sparse offset alphabet", Spread(17, 3, 2), 16, {}},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int count = static_cast<int>(c.freq.size());
        std::vector<std::uint8_t> len(c.freq.size(), 0xEE);
        int used = 0;
        for (std::uint32_t f : c.freq) used += f != 0;
        EXPECT_EQ(lh::BuildLengths(c.freq.data(), count, c.max_bits, len.data()), used);
        if (!c.expected.empty()) {
            EXPECT_EQ(len, c.expected);
            continue;
        }
        // A complete prefix code within the limit, no rarer symbol with a shorter code.
        std::uint64_t kraft = 0;
        for (std::size_t i = 0; i < len.size(); ++i) {
            EXPECT_EQ(len[i] == 0, c.freq[i] == 0) << i;
            EXPECT_LE(len[i], c.max_bits) << i;
            if (len[i] != 0) kraft += std::uint64_t{1} << (c.max_bits - len[i]);
            for (std::size_t j = 0; j < len.size(); ++j) {
                if (c.freq[j] != 0 && c.freq[i] > c.freq[j]) {
                    EXPECT_LE(len[i], len[j]) << i << " " << j;
                }
            }
        }
        EXPECT_EQ(kraft, std::uint64_t{1} << c.max_bits);
    }
}

// Bits as a string of 0s and 1s, MSB first: the writer's output, read back.
std::vector<bool> BitsOf(const Bytes& bytes, std::uint64_t count) {
    std::vector<bool> bits;
    for (std::uint64_t i = 0; i < count; ++i)
        bits.push_back(((bytes[i / 8] >> (7 - i % 8)) & 1) != 0);
    return bits;
}

TEST(BitWriter, PutsEveryWidthInOrderAcrossWordsAndBuffers) {
    struct WidthCase {
        const char* name;
        int min_width;
        int max_width;
        int puts;
    };
    const WidthCase cases[] = {
        {"single bits", 1, 1, 100},
        {"whole words", 32, 32, 9000},  // past the buffer, word by word
        {"mixed widths", 0, 32, 20000},
        {"code widths", 1, 16, 50000},
    };
    // Through the writer, through bursts, and both in turn: a burst must pick up the bits the
    // writer holds and hand back its own.
    enum class Way { kWriter, kBursts, kTurns };
    for (const WidthCase& c : cases) {
        for (Way way : {Way::kWriter, Way::kBursts, Way::kTurns}) {
            SCOPED_TRACE(std::string(c.name) + " way " + std::to_string(static_cast<int>(way)));
            std::mt19937 rng(static_cast<unsigned>(c.puts));
            MemorySink sink;
            std::vector<bool> expected;
            {
                lh::BitWriter writer(sink);
                std::optional<lh::BitWriter::Burst> burst;
                for (int k = 0; k < c.puts; ++k) {
                    const int n =
                        c.min_width + static_cast<int>(rng() % (c.max_width - c.min_width + 1));
                    const std::uint32_t value = n == 0 ? 0 : rng() >> (32 - n);
                    // Runs of up to 40 puts one way, then the other.
                    const bool in_burst =
                        way == Way::kBursts || (way == Way::kTurns && (k / 40) % 2 == 1);
                    if (in_burst && !burst) burst.emplace(writer);
                    if (!in_burst) burst.reset();
                    if (burst) {
                        burst->put(n, value);
                    } else {
                        writer.put(n, value);
                    }
                    for (int b = n - 1; b >= 0; --b) expected.push_back(((value >> b) & 1) != 0);
                }
                burst.reset();
                EXPECT_EQ(writer.bit_count(), expected.size());
                ASSERT_TRUE(writer.finish());
            }
            ASSERT_EQ(sink.bytes.size(), (expected.size() + 7) / 8);
            EXPECT_EQ(BitsOf(sink.bytes, expected.size()), expected);
        }
    }
}

Bytes Repetitive(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < size) {
        if (out.size() > 64 && rng() % 3 != 0) {
            const std::size_t from =
                out.size() - 1 - rng() % std::min<std::size_t>(out.size() - 1, 70000);
            const std::size_t length = 3 + rng() % 300;
            for (std::size_t i = 0; i < length; ++i) out.push_back(out[from + i]);
        } else {
            out.push_back(static_cast<std::uint8_t>('a' + rng() % 6));
        }
    }
    out.resize(size);
    return out;
}

Bytes Encode(const char* id, const Bytes& in) {
    MemorySource source(in, 4096);
    MemorySink sink;
    EXPECT_EQ(FindMethod(id)->make_encoder()->encode(source, sink, UINT64_MAX), Status::kOk);
    return sink.bytes;
}

// What the heap held before must not leak into a parse: the chains' links are read only where
// they were written.
TEST(Encoders, OutputDependsOnTheInputAloneWhateverTheHeapHeld) {
    const std::size_t sizes[] = {5, 3000, 40000, 700000};  // the last moves the window
    for (const char* id : {"lh5", "lh7", "arj1"}) {
        for (std::size_t size : sizes) {
            SCOPED_TRACE(std::string(id) + " " + std::to_string(size));
            const Bytes in = Repetitive(size, static_cast<unsigned>(size));
            const Bytes first = Encode(id, in);
            for (int round = 0; round < 4; ++round) {
                // Freed blocks full of plausible positions, for the next parser's tables to get.
                std::vector<std::unique_ptr<std::int32_t[]>> junk;
                for (std::size_t n = 1024; n <= (std::size_t{1} << 18); n *= 2) {
                    junk.push_back(std::make_unique<std::int32_t[]>(n));
                    for (std::size_t i = 0; i < n; ++i)
                        junk.back()[i] = static_cast<std::int32_t>((i * 7919 + round) % (size + 1));
                }
                junk.clear();
                EXPECT_EQ(Encode(id, in), first);
            }
            MemorySource source(first);
            MemorySink sink;
            ASSERT_EQ(FindMethod(id)->make_decoder()->decode(source, first.size(), in.size(), sink),
                      Status::kOk);
            EXPECT_EQ(sink.bytes, in);
        }
    }
}

Bytes Noise(std::size_t size, std::mt19937& rng) {
    Bytes out(size);
    for (std::uint8_t& b : out) b = static_cast<std::uint8_t>(rng());
    return out;
}

// A run of noise repeated `distance` bytes later, after enough noise before it that chain slots
// are reused and the window moves: the repeat is found exactly as far as the method reaches.
// Two copies of the run, each with every 16th byte changed (at different places), follow it
// closely: every key of the repeat is then met first in them, and the run is reached only
// through the chains' links, which the copies alone would shorten to matches of under 32 bytes.
TEST(Encoders, FindRepeatsAsFarAsTheirReaderReachesAndNoFarther) {
    struct ReachCase {
        const char* id;
        std::size_t distance;
        bool found;
    };
    const ReachCase cases[] = {
        {"arj1", 20000, true},  {"arj1", 26623, true},  {"arj1", 26624, false},
        {"arj1", 32768, false}, {"arj1", 40000, false}, {"lh7", 40000, true},
        {"lh7", 65535, true},   {"lh5", 8191, true},    {"lh5", 8192, false},
    };
    constexpr std::size_t kRun = 2000;
    for (const ReachCase& c : cases) {
        SCOPED_TRACE(std::string(c.id) + " " + std::to_string(c.distance));
        std::mt19937 rng(static_cast<unsigned>(c.distance));
        Bytes in = Noise(300000, rng);
        const Bytes run = Noise(kRun, rng);
        in.insert(in.end(), run.begin(), run.end());
        Bytes gap = Noise(c.distance - kRun, rng);
        for (std::size_t copy = 0; copy < 2; ++copy) {
            const std::size_t at = 50 + copy * (kRun + 50);
            for (std::size_t i = 0; i < kRun; ++i)
                gap[at + i] = i % 32 == copy * 16 ? static_cast<std::uint8_t>(~run[i]) : run[i];
        }
        in.insert(in.end(), gap.begin(), gap.end());
        // The same input with fresh noise where the repeat would be, to compare sizes with.
        Bytes unrepeated = in;
        const Bytes other = Noise(kRun, rng);
        unrepeated.insert(unrepeated.end(), other.begin(), other.end());
        in.insert(in.end(), run.begin(), run.end());

        const Bytes packed = Encode(c.id, in);
        const std::size_t baseline = Encode(c.id, unrepeated).size();
        EXPECT_EQ(packed.size() + kRun * 9 / 10 < baseline, c.found);
        MemorySource source(packed);
        MemorySink sink;
        ASSERT_EQ(FindMethod(c.id)->make_decoder()->decode(source, packed.size(), in.size(), sink),
                  Status::kOk);
        EXPECT_EQ(sink.bytes, in);
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs
