// Which Huffman codes a stream may declare: the walker must refuse exactly what zlib refuses,
// in whichever block the code comes, and leave other damage to the inflater.
#include "codecs/deflate/deflate_blocks.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace quorvex6::backend::codecs::deflate {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Lengths = std::vector<std::uint8_t>;

class BitWriter {
  public:
    void Bits(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) Bit((value >> i) & 1);
    }
    // Huffman codes go out from their first bit.
    void Code(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
    }
    Bytes Done() const { return bytes_; }

  private:
    void Bit(std::uint32_t bit) {
        if (used_ % 8 == 0) bytes_.push_back(0);
        bytes_.back() |= static_cast<std::uint8_t>(bit << (used_ % 8));
        ++used_;
    }
    Bytes bytes_;
    int used_ = 0;
};

// Canonical codes as (code, length) by symbol.
std::vector<std::pair<std::uint32_t, int>> Canonical(const Lengths& lengths) {
    std::vector<std::pair<std::uint32_t, int>> codes(lengths.size());
    std::uint32_t code = 0;
    for (int length = 1; length <= 15; ++length, code <<= 1)
        for (std::size_t s = 0; s < lengths.size(); ++s)
            if (lengths[s] == length) codes[s] = {code++, length};
    return codes;
}

struct Block {
    bool final = true;
    Lengths lit, dist;
    std::vector<int> symbols;    // literals, 256, or 257 = a match of 3 at distance 1
    int code_length_codes = 16;  // the code-length code gives each of these symbols 4 bits
};

void Write(BitWriter& out, const Block& block) {
    static constexpr int kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                       11, 4,  12, 3, 13, 2, 14, 1, 15};
    out.Bits(block.final ? 1 : 0, 1);
    out.Bits(2, 2);
    out.Bits(static_cast<std::uint32_t>(block.lit.size() - 257), 5);
    out.Bits(static_cast<std::uint32_t>(block.dist.size() - 1), 5);
    out.Bits(19 - 4, 4);
    Lengths code_lengths(19, 0);
    for (int s = 0; s < block.code_length_codes; ++s) code_lengths[s] = 4;
    for (int s : kOrder) out.Bits(code_lengths[s], 3);
    auto length_codes = Canonical(code_lengths);
    for (const Lengths* set : {&block.lit, &block.dist})
        for (std::uint8_t length : *set) out.Code(length_codes[length].first, 4);
    auto lit = Canonical(block.lit), dist = Canonical(block.dist);
    for (int s : block.symbols) {
        out.Code(lit[s].first, lit[s].second);
        if (s == 257) out.Code(dist[0].first, dist[0].second);
    }
}

Bytes Stream(std::initializer_list<Block> blocks) {
    BitWriter out;
    for (const Block& block : blocks) Write(out, block);
    return out.Done();
}

bool ZlibInflates(const Bytes& stream) {
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    Bytes out(1 << 16);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return rc == Z_STREAM_END;
}

Lengths Set(std::size_t size, std::initializer_list<std::pair<int, std::uint8_t>> codes) {
    Lengths lengths(size, 0);
    for (auto [symbol, length] : codes) lengths[symbol] = length;
    return lengths;
}

TEST(DeflateBlocks, CodesAreRefusedExactlyAsZlibRefusesThem) {
    const Lengths lit = Set(258, {{'a', 1}, {256, 2}, {257, 2}});
    const Lengths two_distances = Set(2, {{0, 1}, {1, 1}});
    const Block good{true, lit, two_distances, {'a', 257, 256}};
    Block incomplete_lit = good;
    incomplete_lit.lit = Set(258, {{'a', 2}, {256, 2}, {257, 2}});
    Block lone_eob = good;
    lone_eob.lit = Set(257, {{256, 1}});
    lone_eob.symbols = {256};
    Block lone_distance = good;
    lone_distance.dist = Set(1, {{0, 1}});
    Block lone_long_distance = good;
    lone_long_distance.dist = Set(1, {{0, 2}});
    Block no_distances = good;
    no_distances.lit = Set(257, {{'a', 1}, {256, 1}});
    no_distances.dist = Set(1, {});
    no_distances.symbols = {'a', 'a', 256};
    Block oversubscribed = good;
    oversubscribed.lit = Set(258, {{'a', 1}, {'b', 1}, {256, 2}, {257, 2}});
    Block incomplete_lengths_code = good;
    incomplete_lengths_code.code_length_codes = 15;
    Block no_end_of_block = good;
    no_end_of_block.lit = Set(258, {{'a', 1}, {257, 1}});
    no_end_of_block.symbols = {'a', 257};
    Block first = good;
    first.final = false;
    // A dynamic block where a mutation left one literal/length code unused: found by fuzzing,
    // and ISA-L reads it as an empty block.
    const Bytes fuzzed = {0xe5, 0xc1, 0x01, 0x01, 0x00, 0x00, 0x00, 0x80, 0x90,
                          0xfe, 0xaf, 0xee, 0x08, 0x02, 0x00, 0x00, 0x00, 0xa2,
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1a};
    struct Case {
        const char* name;
        Bytes stream;
    };
    const Case cases[] = {
        {"complete codes", Stream({good})},
        {"an incomplete literal/length code", Stream({incomplete_lit})},
        {"a lone one-bit literal/length code", Stream({lone_eob})},
        {"a lone one-bit distance code", Stream({lone_distance})},
        {"a lone two-bit distance code", Stream({lone_long_distance})},
        {"no distance code, no match", Stream({no_distances})},
        {"an over-subscribed code", Stream({oversubscribed})},
        {"an incomplete code-length code", Stream({incomplete_lengths_code})},
        {"no end-of-block code", Stream({no_end_of_block})},
        {"a good block then an incomplete one", Stream({first, incomplete_lit})},
        {"an incomplete block first", Stream({[&] {
                                                  Block b = incomplete_lit;
                                                  b.final = false;
                                                  return b;
                                              }(),
                                              good})},
        {"two good blocks", Stream({first, good})},
        {"the fuzzed block", fuzzed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CodeSetsAccepted(c.stream.data(), c.stream.size()), ZlibInflates(c.stream))
            << c.name;
}

TEST(DeflateBlocks, OtherDamageIsLeftToTheInflater) {
    Block first{
        false, Set(258, {{'a', 1}, {256, 2}, {257, 2}}), Set(2, {{0, 1}, {1, 1}}), {'a', 257, 256}};
    Bytes two = Stream({first, first});
    Bytes cut(two.begin(), two.begin() + 4);
    Bytes bad_type = {0x07};
    Bytes bad_stored = {0x01, 0x05, 0x00, 0x00, 0x00};
    for (const Bytes* damaged : {&two, &cut, &bad_type, &bad_stored}) {
        EXPECT_FALSE(ZlibInflates(*damaged));
        EXPECT_TRUE(CodeSetsAccepted(damaged->data(), damaged->size()));
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs::deflate
