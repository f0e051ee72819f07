// Codecs of whole compressed files (zstd, bzip2 as TAR uses them) through the method table: what
// zstd writes the zstd program's format holds (frames with their checksum), several frames or
// streams decode as one, and a stream that is cut, damaged or fails its check is an error,
// never a short success.
#include <bzlib.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "codecs/codec.h"
#include "io/memory.h"

namespace quorvex6::backend::codecs {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encode(const std::string& text) {
    Bytes out;
    backend::io::VectorSink sink(out);
    backend::io::MemorySource source(
        {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    EXPECT_EQ(FindMethod("zstd")->make_encoder()->encode(source, sink, UINT64_MAX), Status::kOk);
    return out;
}

struct Case {
    const char* what;
    Bytes packed;
    Status status;
    std::string text;  // when ok
};

// Each case through `method`'s decoder: its status, and its whole text when it is ok.
void ExpectDecodes(std::string_view method, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        Bytes out;
        backend::io::VectorSink sink(out);
        backend::io::MemorySource source(c.packed);
        EXPECT_EQ(FindMethod(method)->make_decoder()->decode(source, c.packed.size(), 0, sink),
                  c.status)
            << c.what;
        if (c.status == Status::kOk) {
            EXPECT_TRUE(std::string(out.begin(), out.end()) == c.text) << c.what;
        }
    }
}

TEST(ZstdCodec, StreamsDecodeWholeOrFail) {
    std::string large;
    for (uint64_t i = 0; large.size() < (3u << 20); ++i)
        large += std::to_string(i * 7919) + (i % 5 ? " " : "\n");
    const Bytes one = Encode(large), two = Encode("tail");
    ASSERT_GT(one.size(), 8u);
    Bytes frames = one;
    frames.insert(frames.end(), two.begin(), two.end());
    Bytes cut(one.begin(), one.end() - 3);
    Bytes bad_checksum(one.begin(), one.end() - 1);  // the checksum is the last four bytes
    bad_checksum.push_back(one.back() ^ 1);
    Bytes damaged = one;
    damaged[damaged.size() / 2] ^= 0x55;
    EXPECT_EQ(Bytes(one.begin(), one.begin() + 4), (Bytes{0x28, 0xB5, 0x2F, 0xFD}));
    EXPECT_TRUE(one[4] & 0x04) << "no content checksum";
    ExpectDecodes("zstd", {
                              {"one frame", one, Status::kOk, large},
                              {"two frames", frames, Status::kOk, large + "tail"},
                              {"empty input", {}, Status::kTruncated, ""},
                              {"cut", cut, Status::kTruncated, ""},
                              {"checksum", bad_checksum, Status::kCorrupt, ""},
                              {"damaged", damaged, Status::kCorrupt, ""},
                          });
}

Bytes Bzip2(const std::string& text) {
    Bytes out(text.size() + text.size() / 100 + 600);
    unsigned size = static_cast<unsigned>(out.size());
    EXPECT_EQ(BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(out.data()), &size,
                                       const_cast<char*>(text.data()),
                                       static_cast<unsigned>(text.size()), 1, 0, 0),
              BZ_OK);
    out.resize(size);
    return out;
}

TEST(Bzip2Streams, EveryStreamOfAFileDecodes) {
    const std::string first(300000, 'a'), second = "second stream";
    const Bytes one = Bzip2(first), two = Bzip2(second);
    Bytes both = one;
    both.insert(both.end(), two.begin(), two.end());
    Bytes cut(both.begin(), both.end() - 5);
    Bytes damaged = one;
    damaged[damaged.size() / 2] ^= 0x55;
    ExpectDecodes("bzip2-stream", {
                                      {"one stream", one, Status::kOk, first},
                                      {"two streams", both, Status::kOk, first + second},
                                      {"cut in the second", cut, Status::kTruncated, ""},
                                      {"damaged", damaged, Status::kCorrupt, ""},
                                      {"empty input", {}, Status::kTruncated, ""},
                                  });
}

}  // namespace
}  // namespace quorvex6::backend::codecs
