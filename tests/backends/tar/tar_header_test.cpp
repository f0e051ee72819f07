// The header blocks we write: ustar where it holds an entry, pax records where it does not, each
// block with a checksum GNU tar accepts, and every pax record's length counting itself.
#include "formats/tar/tar_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace quorvex6::backend::tar {
namespace {

std::string Field(const uint8_t* block, size_t offset, size_t length) {
    std::string text(reinterpret_cast<const char*>(block) + offset, length);
    return text.substr(0, text.find('\0'));
}

bool ChecksumHolds(const uint8_t* block) {
    uint32_t sum = 0;
    for (size_t i = 0; i < kBlock; ++i) sum += (i >= 148 && i < 156) ? ' ' : block[i];
    return std::stoul(Field(block, 148, 8), nullptr, 8) == sum;
}

// "LEN key=value\n" records, each LEN checked against its record.
std::string Records(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size), keys;
    for (size_t at = 0; at < text.size();) {
        size_t length = std::stoul(text.substr(at));
        EXPECT_EQ(text[at + length - 1], '\n') << text.substr(at);
        keys +=
            text.substr(text.find(' ', at) + 1, text.find('=', at) - text.find(' ', at) - 1) + " ";
        at += length;
    }
    return keys;
}

TEST(TarHeader, UstarWhereItHoldsTheEntryPaxWhereNot) {
    const std::string dir(90, 'd'), leaf(95, 'f');
    // "LEN linkpath=" and "\n" around 87 bytes make 98 bytes before LEN, whose own two digits
    // would make 100: the length needs three digits just there (101).
    const std::string edge = std::string(85, 'e') + "\xc3\xa9";
    // The fields only view their names: these outlive the cases.
    const std::string split = dir + "/" + leaf, folder = split + "/",
                      deep = dir + dir + dir + "/" + leaf, wide = std::string(120, 'x') + "/",
                      link(101, 't');
    struct Case {
        const char* what;
        HeaderFields fields;
        std::string pax_keys;  // "" when no extended header
        std::string name, prefix;
    };
    const Case cases[] = {
        {"short", {"a/b.txt", HeaderType::kFile, 0644, 6, 1000, {}}, "", "a/b.txt", ""},
        {"split between prefix and name",
         {split, HeaderType::kFile, 0644, 1, 1000, {}},
         "",
         leaf,
         dir},
        {"folder split", {folder, HeaderType::kFolder, 0755, 0, 1000, {}}, "", leaf + "/", dir},
        {"too long for either", {deep, HeaderType::kFile, 0644, 1, 1000, {}}, "path ", "", ""},
        {"one part too long", {wide, HeaderType::kFolder, 0755, 0, 1000, {}}, "path ", "", ""},
        {"not ASCII", {"\xe6\x97\xa5.txt", HeaderType::kFile, 0644, 2, 1000, {}}, "path ", "", ""},
        {"not UTF-8",
         {"caf\xe9.txt", HeaderType::kFile, 0644, 2, 1000, {}},
         "hdrcharset path ",
         "",
         ""},
        {"link not UTF-8",
         {"l", HeaderType::kSymlink, 0777, 0, 1000, "caf\xe9"},
         "hdrcharset linkpath ",
         "l",
         ""},
        {"long link", {"l", HeaderType::kSymlink, 0777, 0, 1000, link}, "linkpath ", "l", ""},
        {"record length gains a digit",
         {"l", HeaderType::kSymlink, 0777, 0, 1000, edge},
         "linkpath ",
         "l",
         ""},
        {"over 8 GiB", {"big", HeaderType::kFile, 0644, 9ull << 30, 1000, {}}, "size ", "big", ""},
        {"before 1970", {"old", HeaderType::kFile, 0644, 0, -86400, {}}, "mtime ", "old", ""},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out;
        AppendHeader(c.fields, out);
        ASSERT_EQ(out.size() % kBlock, 0u) << c.what;
        const uint8_t* header = out.data();
        if (!c.pax_keys.empty()) {
            ASSERT_EQ(header[156], 'x') << c.what;
            EXPECT_TRUE(ChecksumHolds(header)) << c.what;
            size_t size = std::stoul(Field(header, 124, 12), nullptr, 8);
            ASSERT_EQ(out.size(), kBlock + size + PaddingAfter(size) + kBlock) << c.what;
            EXPECT_EQ(Records(header + kBlock, size), c.pax_keys) << c.what;
            header = out.data() + out.size() - kBlock;
        } else {
            ASSERT_EQ(out.size(), kBlock) << c.what;
            EXPECT_EQ(Field(header, 0, 100), c.name) << c.what;
            EXPECT_EQ(Field(header, 345, 155), c.prefix) << c.what;
        }
        EXPECT_TRUE(ChecksumHolds(header)) << c.what;
        EXPECT_EQ(header[156], static_cast<uint8_t>(c.fields.type)) << c.what;
        EXPECT_EQ(Field(header, 257, 6), "ustar") << c.what;
        EXPECT_EQ(std::stoul(Field(header, 100, 8), nullptr, 8), c.fields.mode) << c.what;
        if (c.fields.size < (8ull << 30)) {
            EXPECT_EQ(std::stoull(Field(header, 124, 12), nullptr, 8), c.fields.size) << c.what;
        }
        if (c.pax_keys.empty()) {
            EXPECT_EQ(Field(header, 157, 100), c.fields.link) << c.what;
        }
    }
}

}  // namespace
}  // namespace quorvex6::backend::tar
