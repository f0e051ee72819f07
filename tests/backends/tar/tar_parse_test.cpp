// Reading header blocks, pax records and sparse maps: numbers in both encodings, checksums as
// old writers summed them, and malformed input refused rather than half taken.
#include "formats/tar/tar_parse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "formats/tar/tar_header.h"

namespace quorvex6::backend::tar {
namespace {

void Reseal(Block& b, bool signed_sum = false) {
    std::memset(b.data() + 148, ' ', 8);
    int32_t sum = 0;
    for (uint8_t c : b) sum += signed_sum ? static_cast<int8_t>(c) : c;
    std::snprintf(reinterpret_cast<char*>(b.data() + 148), 8, "%06o",
                  static_cast<unsigned>(sum) & 0777777);
}

// The last block written: the header itself, after any pax header.
Block Written(const HeaderFields& fields) {
    std::vector<uint8_t> out;
    AppendHeader(fields, out);
    Block block;
    std::copy(out.end() - kBlock, out.end(), block.begin());
    return block;
}

TEST(TarParse, HeaderBlocks) {
    const std::string prefixed = std::string(90, 'd') + "/" + std::string(95, 'f');
    auto base256 = [](Block b, size_t offset, size_t length, uint8_t lead, uint64_t low) {
        std::memset(b.data() + offset, lead == 0xFF ? 0xFF : 0, length);
        b[offset] = lead;
        for (size_t i = 0; i < 8; ++i)
            b[offset + length - 1 - i] = static_cast<uint8_t>(low >> (8 * i));
        Reseal(b);
        return b;
    };
    Block base = Written({"f.txt", HeaderType::kFile, 0640, 1234, 1623760496, {}});
    Block bad_sum = base;
    bad_sum[0] = 'g';
    Block signed_sum = base;  // bytes above 0x7F count negative there
    std::memcpy(signed_sum.data(), "caf\xc3\xa9", 6);
    Reseal(signed_sum, true);
    Block bad_size = base;
    std::memcpy(bad_size.data() + 124, "0000000012x", 11);
    Reseal(bad_size);
    Block blank_mode = base;  // some writers leave fields blank: zero
    std::memset(blank_mode.data() + 100, ' ', 8);
    Reseal(blank_mode);
    struct Case {
        const char* what;
        Block block;
        bool valid;
        std::string name;
        uint64_t size;
        int64_t mtime;
        uint32_t mode;
    };
    const Case cases[] = {
        {"ustar", base, true, "f.txt", 1234, 1623760496, 0640},
        {"prefix joined", Written({prefixed, HeaderType::kFile, 0644, 0, 0, {}}), true, prefixed, 0,
         0, 0644},
        {"binary without the base-256 mark", base256(base, 124, 12, 0, 0x80000000000ull), false, "",
         0, 0, 0},
        {"base-256 size", base256(base, 124, 12, 0x80, 9ull << 30), true, "f.txt", 9ull << 30,
         1623760496, 0640},
        {"negative base-256 time", base256(base, 136, 12, 0xFF, static_cast<uint64_t>(-86400)),
         true, "f.txt", 1234, -86400, 0640},
        {"negative base-256 size", base256(base, 124, 12, 0xFF, static_cast<uint64_t>(-5)), false,
         "", 0, 0, 0},
        {"wrong checksum", bad_sum, false, "", 0, 0, 0},
        {"signed checksum", signed_sum, true, "caf\xc3\xa9", 1234, 1623760496, 0640},
        {"not a number", bad_size, false, "", 0, 0, 0},
        {"blank mode", blank_mode, true, "f.txt", 1234, 1623760496, 0},
    };
    for (const Case& c : cases) {
        auto h = ParseHeader(c.block);
        ASSERT_EQ(h.has_value(), c.valid) << c.what;
        if (!h) continue;
        EXPECT_EQ(h->name, c.name) << c.what;
        EXPECT_EQ(h->size, c.size) << c.what;
        EXPECT_EQ(h->mtime, c.mtime) << c.what;
        EXPECT_EQ(h->mode, c.mode) << c.what;
    }
    EXPECT_TRUE(IsZeroBlock(Block{}));
    EXPECT_FALSE(IsZeroBlock(base));
}

// "LEN key=value\n" with LEN right.
std::string Record(const std::string& key, const std::string& value) {
    size_t body = key.size() + value.size() + 3;
    size_t length = body + std::to_string(body).size();
    if (std::to_string(length).size() > std::to_string(body).size()) ++length;
    return std::to_string(length) + " " + key + "=" + value + "\n";
}

TEST(TarParse, PaxRecords) {
    struct Case {
        const char* what;
        std::string records;
        bool valid;
        std::string name;
        uint64_t size;
        int64_t mtime;
        size_t pieces;
        bool binary = false;
    };
    const Case cases[] = {
        {"path, size, time with a fraction",
         Record("path", "a/b.txt") + Record("size", "9663676416") +
             Record("mtime", "1623760496.123456789"),
         true, "a/b.txt", 9663676416, 1623760496, 0},
        {"time before 1970", Record("mtime", "-86400.5"), true, "", 0, -86400, 0},
        {"unknown keys pass", Record("SCHILY.dev", "2049"), true, "", 0, 0, 0},
        {"names as bytes", Record("hdrcharset", "BINARY") + Record("path", "caf\xe9"), true,
         "caf\xe9", 0, 0, 0, true},
        {"names in UTF-8", Record("hdrcharset", "ISO-IR 10646 2000 UTF-8"), true, "", 0, 0, 0,
         false},
        {"length too long", "17 path=a/b.txt\n", false, "", 0, 0, 0},
        {"length too short", "15 path=a/b.txt\n", false, "", 0, 0, 0},
        {"no length", "path=a\n", false, "", 0, 0, 0},
        {"size not a number", Record("size", "12x"), false, "", 0, 0, 0},
        {"sparse 0.0 pairs",
         Record("GNU.sparse.offset", "0") + Record("GNU.sparse.numbytes", "10") +
             Record("GNU.sparse.offset", "20") + Record("GNU.sparse.numbytes", "5"),
         true, "", 0, 0, 2},
        {"sparse size without offset", Record("GNU.sparse.numbytes", "5"), false, "", 0, 0, 0},
        {"sparse 0.1 map", Record("GNU.sparse.map", "0,10,20,5"), true, "", 0, 0, 2},
        {"sparse map of odd length", Record("GNU.sparse.map", "0,10,"), false, "", 0, 0, 0},
        {"sparse version 2", Record("GNU.sparse.major", "2"), false, "", 0, 0, 0},
    };
    for (const Case& c : cases) {
        Overrides over;
        ASSERT_EQ(ParsePaxRecords(c.records, over), c.valid) << c.what;
        if (!c.valid) continue;
        EXPECT_EQ(over.name.value_or(""), c.name) << c.what;
        EXPECT_EQ(over.size.value_or(0), c.size) << c.what;
        EXPECT_EQ(over.mtime.value_or(0), c.mtime) << c.what;
        EXPECT_EQ(over.sparse_map.size(), c.pieces) << c.what;
        EXPECT_EQ(over.binary_names, c.binary) << c.what;
    }
}

TEST(TarParse, SparseMaps) {
    struct Case {
        const char* what;
        std::string text;
        std::optional<uint64_t> bytes;
        bool done;
    };
    const Case cases[] = {
        {"two pieces", "2\n0\n512\n4096\n3\n" + std::string(500, '\0'), 512, true},
        {"cut: more to read", "2\n0\n512\n40", std::nullopt, false},
        {"not a number", "2\nx\n", std::nullopt, true},
        {"too many pieces", "99999999\n", std::nullopt, true},
        {"a line no number fills", std::string(40, '1'), std::nullopt, true},
    };
    for (const Case& c : cases) {
        std::vector<Piece> pieces;
        bool done = false;
        EXPECT_EQ(ParseSparseMapLines(c.text, pieces, done), c.bytes) << c.what;
        EXPECT_EQ(done, c.done) << c.what;
    }
    struct Fit {
        const char* what;
        std::vector<Piece> pieces;
        uint64_t real, stored;
        bool holds;
    };
    const Fit fits[] = {
        {"in order", {{0, 10}, {20, 5}}, 30, 15, true},
        {"overlapping", {{0, 10}, {5, 5}}, 30, 15, false},
        {"past the end", {{0, 10}, {25, 10}}, 30, 20, false},
        {"stored bytes differ", {{0, 10}}, 30, 11, false},
        {"offset near the top", {{UINT64_MAX - 1, 4}}, UINT64_MAX, 4, false},
    };
    for (const Fit& f : fits)
        EXPECT_EQ(SparseMapHolds(f.pieces, f.real, f.stored), f.holds) << f.what;
}

}  // namespace
}  // namespace quorvex6::backend::tar
