// The variant H model against streams 7zz wrote (tests/data/gen/ppmd.sh): the same model under
// 7z's range coder, so every symbol, rescale, SEE update and memory restart must match its
// encoder's byte for byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codecs/ppmd/model_h.h"

namespace quorvex6::backend::codecs::ppmd {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kStartHeaderSize = 32;

Bytes ReadData(const std::string& name) {
    const char* dir = std::getenv("QV_TEST_DATA");
    std::ifstream in(std::filesystem::path(dir ? dir : "tests/data") / "ppmd" / name,
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The generator of tests/data/gen/ppmd.sh.
class LcgInput {
  public:
    explicit LcgInput(std::uint32_t seed) : x_(seed) {}

    Bytes Make(const std::string& kind, std::size_t size) {
        Bytes out;
        if (kind == "words") {
            const std::string letters = "etaoinshrdlucmfwypvbgkjqxz";
            std::vector<std::string> words;
            for (int i = 0; i < 512; ++i) {
                const unsigned length = 2 + Next() % 7;
                std::string word;
                for (unsigned k = 0; k < length; ++k) word += letters[Next() % 26];
                words.push_back(word);
            }
            while (out.size() < size) {
                const std::string& word = words[Next() % 512];
                out.insert(out.end(), word.begin(), word.end());
                const unsigned r = Next() % 16;
                const std::string gap = r == 0 ? ". " : r == 1 ? "\n" : " ";
                out.insert(out.end(), gap.begin(), gap.end());
            }
        } else {
            while (out.size() < size) {
                Bytes run(1 + Next() % 24);
                for (auto& byte : run) byte = static_cast<std::uint8_t>(Next() & 0xFF);
                const unsigned times = 1 + Next() % 3;
                for (unsigned t = 0; t < times; ++t) out.insert(out.end(), run.begin(), run.end());
            }
        }
        out.resize(size);
        return out;
    }

  private:
    unsigned Next() {
        x_ = x_ * 1103515245u + 12345u;
        return x_ >> 16;
    }
    std::uint32_t x_;
};

struct SevenZipCase {
    const char* name;
    const char* kind;
    std::size_t size;
    std::uint32_t seed;
    int order;
    std::size_t memory;
    bool restarts;  // the input outgrows the memory, so the model must start over
};

class SevenZipStreams : public ::testing::TestWithParam<SevenZipCase> {};

TEST_P(SevenZipStreams, DecodeToTheInput) {
    const SevenZipCase& c = GetParam();
    const Bytes archive = ReadData(std::string(c.name) + ".7z");
    ASSERT_GT(archive.size(), kStartHeaderSize);
    const Bytes expected = LcgInput(c.seed).Make(c.kind, c.size);

    SpanInput input(std::span<const std::uint8_t>(archive).subspan(kStartHeaderSize));
    SevenZipRangeDecoder rc(input);
    ASSERT_TRUE(rc.Start());
    ModelH model;
    ASSERT_TRUE(model.Restart(c.order, c.memory));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const int symbol = model.DecodeSymbol(rc);
        ASSERT_EQ(symbol, expected[i]) << "at byte " << i;
    }
    EXPECT_FALSE(rc.past_end());
    EXPECT_EQ(model.restarts() > 0, c.restarts);
}

constexpr std::size_t kMiB = std::size_t{1} << 20;

INSTANTIATE_TEST_SUITE_P(
    Orders, SevenZipStreams,
    ::testing::Values(SevenZipCase{"words-o2", "words", 30000, 7, 2, kMiB, false},
                      SevenZipCase{"words-o6", "words", 60000, 11, 6, 16 * kMiB, false},
                      SevenZipCase{"bytes-o4", "bytes", 40000, 3, 4, 2 * kMiB, false},
                      SevenZipCase{"bytes-o16", "bytes", 50000, 5, 16, kMiB, true},
                      SevenZipCase{"words-o32-restart", "words", 400000, 1, 32, kMiB, true}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (ch == '-') ch = '_';
        return name;
    });

TEST(ModelH, RefusesArgumentsRarCannotDeclare) {
    struct Arguments {
        int order;
        std::size_t memory;
        bool accepted;
    };
    const Arguments table[] = {
        {1, kMiB, false},        {2, kMiB, true},      {64, kMiB, true},
        {65, kMiB, false},       {6, kMiB - 1, false}, {6, 256 * kMiB + 1, false},
        {6, 3 * kMiB + 5, true}, {-3, kMiB, false},
    };
    for (const Arguments& a : table) {
        ModelH model;
        EXPECT_EQ(model.Restart(a.order, a.memory), a.accepted) << a.order << " " << a.memory;
        EXPECT_EQ(model.ready(), a.accepted);
    }
}

TEST(ModelH, DecodesNothingBeforeRestart) {
    const Bytes zeros(16, 0);
    SpanInput input(zeros);
    RarRangeDecoder rc(input);
    rc.Start();
    ModelH model;
    EXPECT_EQ(model.DecodeSymbol(rc), -1);
}

TEST(ModelH, RestartForgetsWhatWasLearnt) {
    // The same stream decoded twice through one model gives the same bytes only when Restart
    // clears every table, the heap and the counters.
    const Bytes archive = ReadData("words-o6.7z");
    const Bytes expected = LcgInput(11).Make("words", 60000);
    ModelH model;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(model.Restart(6, 16 * kMiB));
        SpanInput input(std::span<const std::uint8_t>(archive).subspan(kStartHeaderSize));
        SevenZipRangeDecoder rc(input);
        ASSERT_TRUE(rc.Start());
        for (std::size_t i = 0; i < 5000; ++i) ASSERT_EQ(model.DecodeSymbol(rc), expected[i]);
    }
}

TEST(ModelH, DamagedStreamsEndInErrorsNotCrashes) {
    // Flipped bytes and garbage: every symbol is either a byte or -1, and the decoder never
    // reads outside its heap (the sanitizer builds check that part).
    const Bytes archive = ReadData("bytes-o16.7z");
    for (std::size_t flip : {std::size_t{40}, std::size_t{400}, std::size_t{4000}}) {
        Bytes damaged(archive.begin() + kStartHeaderSize, archive.end());
        damaged[flip] ^= 0x5A;
        SpanInput input(damaged);
        SevenZipRangeDecoder rc(input);
        ASSERT_TRUE(rc.Start());
        ModelH model;
        ASSERT_TRUE(model.Restart(16, kMiB));
        for (int i = 0; i < 50000; ++i) {
            const int symbol = model.DecodeSymbol(rc);
            ASSERT_GE(symbol, -1);
            ASSERT_LE(symbol, 255);
            if (symbol < 0) break;
        }
    }
    // Garbage under RAR's coder: damage shows as -1 or, once the bytes are gone, past_end.
    const Bytes garbage = LcgInput(99).Make("bytes", 3000);
    SpanInput input(garbage);
    RarRangeDecoder rc(input);
    rc.Start();
    ModelH model;
    ASSERT_TRUE(model.Restart(64, kMiB));
    int decoded = 0;
    while (decoded < 1000000 && !rc.past_end() && model.DecodeSymbol(rc) >= 0) ++decoded;
    EXPECT_LT(decoded, 1000000);
}

}  // namespace
}  // namespace quorvex6::backend::codecs::ppmd
