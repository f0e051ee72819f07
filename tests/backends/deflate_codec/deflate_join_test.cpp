// Streams compressed in parts and joined: every kind of last block (stored, fixed, dynamic) is
// found and unmarked, the joined stream inflates to the parts in order, and members above the
// one-buffer limit come back whole through the codec whatever their content.
#include "codecs/deflate/deflate_join.h"

#include <gtest/gtest.h>
#include <libdeflate.h>

#include "backends/deflate_codec/sample_bytes.h"
#include "backends/lh_codecs/memory_streams.h"
#include "codecs/codec.h"
#include "codecs/deflate/deflate.h"

namespace quorvex6::backend::codecs::deflate {
namespace {

using test::Bytes;
using test::MemorySink;
using test::MemorySource;
using test::Noise;
using test::Text;
using test::operator+;

Bytes Compress(const Bytes& data) {
    BufferCompressor compressor(6);
    Bytes out;
    compressor.compress(data.data(), data.size(), out);
    return out;
}

bool Inflate(const Bytes& packed, std::size_t size, Bytes& out) {
    out.assign(size, 0);
    std::size_t got = 0;
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    auto rc = libdeflate_deflate_decompress(d, packed.data(), packed.size(), out.data(), out.size(),
                                            &got);
    libdeflate_free_decompressor(d);
    return rc == LIBDEFLATE_SUCCESS && got == size;
}

TEST(DeflateJoin, EveryKindOfLastBlockJoins) {
    struct Case {
        const char* what;
        Bytes first, second;
    };
    const Case cases[] = {
        {"dynamic then dynamic", Text(300000, 1), Text(200000, 2)},
        {"stored last block", Noise(70000, 3), Text(1000, 4)},
        {"fixed last block (a few bytes)", Bytes{'a', 'b', 'c'}, Text(5000, 5)},
        {"nothing at all first", Bytes{}, Text(5000, 6)},
        {"long runs", Bytes(100000, 0), Bytes(100000, 7)},
    };
    for (const Case& c : cases) {
        Bytes first = Compress(c.first);
        auto end = FindStreamEnd(first.data(), first.size());
        ASSERT_TRUE(end) << c.what;
        EXPECT_LE(end->end_bit, first.size() * 8) << c.what;
        EXPECT_GT(end->end_bit, first.size() * 8 - 8) << c.what;  // only padding after it
        ASSERT_TRUE(MakeContinuable(first)) << c.what;
        EXPECT_FALSE(FindStreamEnd(first.data(), first.size())) << c.what;  // no final block now
        Bytes joined = first + Compress(c.second), out;
        ASSERT_TRUE(Inflate(joined, c.first.size() + c.second.size(), out)) << c.what;
        EXPECT_TRUE(out == c.first + c.second) << c.what;
    }
}

TEST(DeflateJoin, BrokenStreamsAreNotJoined) {
    Bytes whole = Compress(Text(50000, 8));
    Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    Bytes reserved = {0x07};                            // block type 3
    Bytes bad_stored = {0x01, 0x05, 0x00, 0x00, 0x00};  // LEN and NLEN disagree
    for (const Bytes* broken : {&cut, &reserved, &bad_stored}) {
        EXPECT_FALSE(FindStreamEnd(broken->data(), broken->size()));
        Bytes copy = *broken;
        EXPECT_FALSE(MakeContinuable(copy));
    }
}

TEST(DeflateJoin, LargeMembersRoundTripThroughTheCodec) {
    constexpr std::size_t kMiB = 1 << 20;
    Bytes mixed;
    for (unsigned i = 0; i < 7; ++i) mixed = mixed + (i % 2 ? Noise(kMiB, i) : Text(kMiB, i));
    struct Case {
        const char* what;
        Bytes data;
    };
    const Case cases[] = {
        {"text, an odd size", Text(9 * kMiB + 7, 9)},
        {"one byte past two chunks", Text(4 * kMiB + 1, 10)},
        {"text and noise by turns", mixed},
        {"zeros", Bytes(10 * kMiB, 0)},
    };
    for (const Case& c : cases) {
        MemorySource source(c.data, 300000);
        MemorySink packed;
        ASSERT_EQ(FindMethod("deflate6")->make_encoder()->encode(source, packed, UINT64_MAX),
                  Status::kOk)
            << c.what;
        MemorySource again(packed.bytes, 100000);
        MemorySink out;
        ASSERT_EQ(FindMethod("deflate")->make_decoder()->decode(again, packed.bytes.size(),
                                                                c.data.size(), out),
                  Status::kOk)
            << c.what;
        EXPECT_TRUE(out.bytes == c.data) << c.what;
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs::deflate
