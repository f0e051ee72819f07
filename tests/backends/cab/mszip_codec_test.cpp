// MSZIP blocks as zlib writes them with the previous block as preset dictionary.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "codecs/mszip/mszip.h"

namespace quorvex6::backend::codecs::mszip {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes out(size);
    std::uint32_t x = seed;
    for (auto& b : out) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 24);
    }
    return out;
}

// "CK" and one raw deflate stream, reaching into `dictionary` when it is not empty.
Bytes Block(const Bytes& data, const Bytes& dictionary) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    if (!dictionary.empty())
        deflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size()));
    Bytes out(2 + deflateBound(&z, data.size()));
    out[0] = 'C';
    out[1] = 'K';
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data() + 2;
    z.avail_out = static_cast<uInt>(out.size() - 2);
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(2 + z.total_out);
    deflateEnd(&z);
    return out;
}

// "CK" and a raw deflate stream of `parts`, each ended by a sync flush, then an empty final
// block; at `level` 0 the parts are stored blocks.
Bytes FlushedParts(const std::vector<Bytes>& parts, int level = 9) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(2 + 2 * kBlockLimit);
    out[0] = 'C';
    out[1] = 'K';
    z.next_out = out.data() + 2;
    z.avail_out = static_cast<uInt>(out.size() - 2);
    for (const Bytes& part : parts) {
        z.next_in = const_cast<Bytef*>(part.data());
        z.avail_in = static_cast<uInt>(part.size());
        EXPECT_EQ(deflate(&z, Z_SYNC_FLUSH), Z_OK);
    }
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(2 + z.total_out);
    deflateEnd(&z);
    return out;
}

Bytes Cut(const Bytes& packed, std::size_t size) {
    return Bytes(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(size));
}

TEST(MszipBlocks, HistoryCarriesAcrossBlocksOfAFolder) {
    Bytes first = Pattern(kBlockLimit, 1);
    // All of it matches in the first block (zlib reaches back a little less than 32 KiB).
    Bytes second(first.end() - 20000, first.end());
    second.insert(second.end(), first.end() - 12768, first.end());
    Bytes packed2 = Block(second, first);
    ASSERT_LT(packed2.size(), 1000u);  // the dictionary was used

    BlockDecoder decoder;
    Bytes out(kBlockLimit);
    ASSERT_EQ(decoder.Decode(Block(first, {}), out), Status::kOk);
    EXPECT_EQ(out, first);
    ASSERT_EQ(decoder.Decode(packed2, out), Status::kOk);
    EXPECT_EQ(out, second);

    // A new folder starts without history: the same block cannot be decoded alone.
    decoder.Reset();
    EXPECT_NE(decoder.Decode(packed2, out), Status::kOk);
}

TEST(MszipBlocks, AShortBlockKeepsTheOlderHistoryInTheWindow) {
    Bytes a = Pattern(kBlockLimit, 2), b = Pattern(100, 3);
    Bytes window(a.end() - (kBlockLimit - b.size()), a.end());
    window.insert(window.end(), b.begin(), b.end());
    Bytes c(a.begin() + 20000, a.begin() + 20100);  // lies in the window only through `a`

    BlockDecoder decoder;
    Bytes out_a(a.size()), out_b(b.size()), out_c(c.size());
    ASSERT_EQ(decoder.Decode(Block(a, {}), out_a), Status::kOk);
    ASSERT_EQ(decoder.Decode(Block(b, a), out_b), Status::kOk);
    Bytes packed_c = Block(c, window);
    ASSERT_LT(packed_c.size(), 20u);
    ASSERT_EQ(decoder.Decode(packed_c, out_c), Status::kOk);
    EXPECT_EQ(out_c, c);
}

TEST(MszipBlocks, DamagedBlocksAreRefused) {
    Bytes data = Pattern(5000, 4);
    Bytes good = Block(data, {});
    struct Case {
        const char* name;
        Bytes packed;
        std::size_t out_size;
    };
    Bytes no_signature = good;
    no_signature[0] = 'X';
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
    Bytes trailing = good;  // bytes after the final block are tolerated
    trailing.insert(trailing.end(), {0, 0, 0});
    // A code with a gap, which zlib and the CAB readers refuse and ISA-L reads as an empty block.
    Bytes gap = {'C',  'K',  0xe5, 0xc1, 0x01, 0x01, 0x00, 0x00, 0x00, 0x80,
                 0x90, 0xfe, 0xaf, 0xee, 0x08, 0x02, 0x00, 0x00, 0x00, 0xa2};
    gap.resize(47, 0);
    gap.push_back(0x1a);
    const Case cases[] = {
        {"no signature", no_signature, data.size()},
        {"cut short", cut, data.size()},
        {"only the signature", Bytes{'C', 'K'}, data.size()},
        {"more data than the block holds", good, data.size() - 1},
        {"less data than the block holds", good, data.size() + 1},
        {"block larger than 32 KiB", good, kBlockLimit + 1},
        {"an incomplete literal/length code", gap, 0},
    };
    for (const Case& c : cases) {
        BlockDecoder decoder;
        Bytes out(c.out_size);
        EXPECT_NE(decoder.Decode(c.packed, out), Status::kOk) << c.name;
    }
    BlockDecoder decoder;
    Bytes out(data.size());
    EXPECT_EQ(decoder.Decode(trailing, out), Status::kOk);
    EXPECT_EQ(out, data);
}

// Where an inflater may stop early or late: output full before the stream's end, input ending
// inside a block or at a block boundary, a distance beyond the history, an invalid block type.
TEST(MszipBlocks, StreamEdgesGiveTheirStatus) {
    const Bytes data = Pattern(5000, 5), more = Pattern(100, 6);
    const Bytes history = Pattern(100, 7);
    // Matches about 30000 bytes back, where the decoder's history of 100 bytes does not reach.
    const Bytes window = Pattern(kBlockLimit, 8);
    const Bytes far(window.begin() + 2000, window.begin() + 3000);
    const Bytes flushed = FlushedParts({data});
    Bytes bad_type = Block(data, {});
    bad_type[2] |= 0x06;  // block type 3 does not exist
    struct Case {
        const char* name;
        Bytes packed;
        std::size_t out_size;
        Status status;
    };
    const Case cases[] = {
        {"output full, then an empty final block", flushed, data.size(), Status::kOk},
        {"output full, then another block", FlushedParts({data, more}), data.size(),
         Status::kCorrupt},
        {"output full, then the input ends", Cut(flushed, flushed.size() - 2), data.size(),
         Status::kCorrupt},
        {"input ends at a block boundary", Cut(flushed, flushed.size() - 2), data.size() + 1,
         Status::kTruncated},
        {"input ends inside a stored block", Cut(FlushedParts({data}, 0), 2000), data.size(),
         Status::kTruncated},
        {"input ends inside a coded block", Cut(Block(data, {}), 1000), data.size(),
         Status::kTruncated},
        {"a distance beyond the history", Block(far, window), far.size(), Status::kCorrupt},
        {"an invalid block type", bad_type, data.size(), Status::kCorrupt},
        {"an empty block", Bytes{'C', 'K', 0x03, 0x00}, 0, Status::kOk},
    };
    for (const Case& c : cases) {
        BlockDecoder decoder;
        Bytes out(history.size());
        ASSERT_EQ(decoder.Decode(Block(history, {}), out), Status::kOk);
        out.assign(c.out_size, 0);
        EXPECT_EQ(decoder.Decode(c.packed, out), c.status) << c.name;
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs::mszip
