// The gzip decoder over streams shaped as other tools shape them: several members, padding,
// header fields, and damage that must be told from a clean end.
#include <gtest/gtest.h>

#include <string>

#include "backends/deflate_codec/sample_bytes.h"
#include "backends/lh_codecs/memory_streams.h"
#include "codecs/codec.h"

namespace quorvex6::backend::codecs {
namespace {

using test::Bytes;
using test::MemorySink;
using test::MemorySource;
using test::Text;
using test::operator+;

Bytes Gzip(const Bytes& data) {
    MemorySource source(data);
    MemorySink sink;
    EXPECT_EQ(FindMethod("gzip")->make_encoder()->encode(source, sink, UINT64_MAX), Status::kOk);
    return sink.bytes;
}

Status Gunzip(const Bytes& packed, Bytes& out) {
    MemorySource source(packed, 777);  // short reads cut members anywhere
    MemorySink sink;
    Status status = FindMethod("gzip")->make_decoder()->decode(source, packed.size(), 0, sink);
    out = std::move(sink.bytes);
    return status;
}

TEST(GzipDecoder, MembersPaddingHeaderFieldsAndDamage) {
    const Bytes one = Text(100000, 1), two = Text(9 << 20, 2);  // `two` makes several members
    const Bytes packed_one = Gzip(one), packed_two = Gzip(two);
    Bytes named = packed_one;  // FNAME: a file name after the fixed header, as gzip FILE writes
    named[3] |= 0x08;
    const std::string name = "archive.tar";
    named.insert(named.begin() + 10, name.c_str(), name.c_str() + name.size() + 1);
    Bytes bad_check = packed_one;
    bad_check[bad_check.size() - 6] ^= 0x55;
    struct Case {
        const char* what;
        Bytes packed;
        Status status;
        Bytes expected;  // all of it when ok, a prefix of it otherwise
    };
    const Case cases[] = {
        {"one member", packed_one, Status::kOk, one},
        {"members in a row", packed_two + packed_one, Status::kOk, two + one},
        {"zero padding after the last member", packed_one + Bytes(700, 0), Status::kOk, one},
        {"a name in the header", named, Status::kOk, one},
        {"nothing", {}, Status::kOk, {}},
        {"cut inside a member",
         Bytes(packed_one.begin(), packed_one.begin() + packed_one.size() / 2), Status::kTruncated,
         one},
        {"cut inside the second member",
         packed_one + Bytes(packed_two.begin(), packed_two.begin() + 20), Status::kTruncated, one},
        {"wrong check value", bad_check, Status::kCorrupt, one},
        {"no gzip at all", Text(5000, 3), Status::kCorrupt, {}},
    };
    for (const Case& c : cases) {
        Bytes out;
        EXPECT_EQ(Gunzip(c.packed, out), c.status) << c.what;
        if (c.status == Status::kOk) {
            EXPECT_TRUE(out == c.expected) << c.what;
        } else {
            ASSERT_LE(out.size(), c.expected.size()) << c.what;
            EXPECT_TRUE(std::equal(out.begin(), out.end(), c.expected.begin())) << c.what;
        }
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs
