// MSZIP blocks as our encoder writes them: each kind of data by the path it takes, read back
// in folder order, none past the limit a block may take.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "codecs/mszip/byte_entropy.h"
#include "codecs/mszip/mszip.h"
#include "noise_bytes.h"

namespace quorvex6::backend::codecs::mszip {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::Noise;

Bytes Text(std::size_t size, std::size_t seed) {
    std::string s;
    while (s.size() < size) s += "line " + std::to_string(seed++ % 977) + " of the listing\n";
    return Bytes(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(size));
}

TEST(MszipEncoder, EveryKindOfBlockReadsBackInFolderOrder) {
    const Bytes noise = Noise(kBlockLimit, 5);
    // Random bytes, all within reach: the second half of the dictionary, twice.
    const Bytes half(noise.begin() + kBlockLimit / 2, noise.end());
    Bytes repeat = half;
    repeat.insert(repeat.end(), half.begin(), half.end());
    struct Case {
        const char* name;
        Bytes block;
        std::size_t most;  // packed bytes at most
    };
    const Case cases[] = {
        {"text", Text(kBlockLimit, 1), kBlockLimit / 3},
        {"noise: stored", noise, kPackedLimit},
        {"noise found again in the dictionary", repeat, 2000},
        {"short text", Text(100, 7), 100},
        {"one byte", Bytes{'x'}, 8},
        {"zeros", Bytes(kBlockLimit, 0), 200},
        {"text after zeros", Text(kBlockLimit, 3), kBlockLimit / 3},
    };
    for (int level : {kDefaultLevel, 1, 9}) {
        BlockEncoder encoder(level);
        BlockDecoder decoder;
        Bytes previous, packed;
        for (const Case& c : cases) {
            encoder.Encode(c.block, previous, packed);
            EXPECT_LE(packed.size(), c.most) << c.name << " " << level;
            Bytes out(c.block.size());
            ASSERT_EQ(decoder.Decode(packed, out), Status::kOk) << c.name << " " << level;
            EXPECT_EQ(out, c.block) << c.name << " " << level;
            previous = c.block;
        }
    }
}

TEST(MszipEncoder, BitsPerByteOfKnownDistributions) {
    Bytes all(256 * 4);
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint8_t>(i);
    Bytes two(1000, 'a');
    for (std::size_t i = 0; i < two.size(); i += 2) two[i] = 'b';
    struct Case {
        const char* name;
        Bytes bytes;
        double bits;
    };
    const Case cases[] = {
        {"nothing", {}, 0},
        {"one value", Bytes(500, 7), 0},
        {"two halves", two, 1},
        {"every value alike", all, 8},
    };
    for (const Case& c : cases) EXPECT_NEAR(BitsPerByte(c.bytes), c.bits, 1e-9) << c.name;
    // Either side of the encoder's choice.
    EXPECT_LT(BitsPerByte(Text(kBlockLimit, 2)), 6.0);
    EXPECT_GT(BitsPerByte(Noise(kBlockLimit, 9)), 7.9);
}

}  // namespace
}  // namespace quorvex6::backend::codecs::mszip
