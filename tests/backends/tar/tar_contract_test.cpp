// The format's own contract, in memory: what the Writer writes in each compression the Reader
// gives back in order, with its data as a Source (sparse holes as zeros), and the bid tells TAR
// from other bytes, compressed or not.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/tar/tar_format.h"
#include "formats/tar/tar_reader.h"
#include "formats/tar/tar_writer.h"
#include "io/memory.h"

namespace quorvex6::backend::tar {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::string ReadAllOf(io::Source& source) {
    std::string out;
    uint8_t buffer[3000];  // not a divisor of a block: pieces end anywhere
    for (std::ptrdiff_t n; (n = source.read(buffer, sizeof buffer)) > 0;)
        out.append(reinterpret_cast<char*>(buffer), n);
    return out;
}

std::unique_ptr<TarReader> ReaderOf(const std::vector<uint8_t>& archive) {
    return std::make_unique<TarReader>(std::make_unique<io::MemoryInput>(archive));
}

TEST(TarContract, WhatTheWriterWritesTheReaderGivesBackInEveryCompression) {
    std::string large(3 << 20, '\0');
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>((i * 2654435761u) >> 13);
    for (const CompressionRow& row : kCompressions) {
        std::vector<uint8_t> archive;
        {
            io::VectorSink sink(archive);
            Writer writer(sink, row.compression);
            writer.Add({"d/", HeaderType::kFolder, 0755, 0, 1000, {}});
            io::MemorySource small(Bytes("hello"));
            writer.Add({"d/a.txt", HeaderType::kFile, 0644, 5, 2000, {}}, small);
            writer.Add({"d/l", HeaderType::kSymlink, 0777, 0, 3000, "a.txt"});
            io::MemorySource big(Bytes(large));
            writer.Add({"d/large", HeaderType::kFile, 0600, large.size(), 4000, {}}, big);
            writer.Finish();
        }
        ASSERT_TRUE(CompressionForContent(archive) == nullptr ||
                    CompressionForContent(archive)->compression == row.compression)
            << row.method;
        io::MemoryInput input(archive);
        EXPECT_EQ(Bid(input), std::optional<uint64_t>(0)) << row.method;
        auto reader = ReaderOf(archive);
        struct Expected {
            const char* name;
            EntryKind kind;
            std::string data;
        };
        const Expected expected[] = {
            {"d/", EntryKind::kFolder, ""},
            {"d/a.txt", EntryKind::kFile, "hello"},
            {"d/l", EntryKind::kSymlink, ""},
            {"d/large", EntryKind::kFile, large},
        };
        TarEntry entry;
        for (const Expected& e : expected) {
            ASSERT_TRUE(reader->Next(entry)) << row.method << " " << e.name;
            EXPECT_EQ(entry.facts.name, e.name) << row.method;
            EXPECT_EQ(entry.kind, e.kind) << row.method << " " << e.name;
            EXPECT_EQ(entry.facts.method, row.method) << e.name;
            if (e.kind == EntryKind::kFile) {
                EXPECT_TRUE(ReadAllOf(*reader->OpenData()) == e.data)
                    << row.method << " " << e.name;
            }
        }
        EXPECT_EQ(entry.facts.mtime, 4000);
        EXPECT_FALSE(reader->Next(entry)) << row.method;
    }
}

TEST(TarContract, DataThatEndsEarlyIsAnError) {
    std::vector<uint8_t> archive;
    io::VectorSink sink(archive);
    Writer writer(sink, Compression::kNone);
    io::MemorySource shorter(Bytes("abc"));
    try {
        writer.Add({"f", HeaderType::kFile, 0644, 4, 0, {}}, shorter);
        FAIL() << "no error";
    } catch (const io::Error& e) {
        EXPECT_EQ(e.fault(), io::Fault::kRead);
    }
}

// A header block of the given type for `size` bytes, sealed with its checksum.
Block HeaderOf(const char* name, char type, uint64_t size) {
    std::vector<uint8_t> out;
    AppendHeader({name, HeaderType::kFile, 0644, size, 0, {}}, out);
    Block block;
    std::copy(out.end() - kBlock, out.end(), block.begin());
    block[kType.offset] = static_cast<uint8_t>(type);
    std::memset(block.data() + kChecksum.offset, ' ', kChecksum.length);
    unsigned sum = 0;
    for (uint8_t b : block) sum += b;
    std::snprintf(reinterpret_cast<char*>(block.data() + kChecksum.offset), 8, "%06o", sum);
    return block;
}

std::string Record(const std::string& key, const std::string& value) {
    std::string body = " " + key + "=" + value + "\n";
    std::string length = std::to_string(body.size() + 2);
    return std::to_string(body.size() + length.size()) + body;
}

void Append(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
    out.resize(out.size() + PaddingAfter(bytes.size()), 0);
}

TEST(TarContract, ASparseEntryReadsAsAWholeFileWithZerosInItsHoles) {
    const std::string records = Record("GNU.sparse.size", "10000") +
                                Record("GNU.sparse.map", "0,5,8000,3") +
                                Record("GNU.sparse.name", "s");
    std::vector<uint8_t> archive;
    Append(archive, HeaderOf("x", typeflag::kPax, records.size()));
    Append(archive, Bytes(records));
    Append(archive, HeaderOf("GNUSparseFile/s", typeflag::kRegular, 8));
    Append(archive, Bytes("abcdeXYZ"));
    archive.resize(archive.size() + 2 * kBlock, 0);
    auto reader = ReaderOf(archive);
    TarEntry entry;
    ASSERT_TRUE(reader->Next(entry));
    EXPECT_EQ(entry.facts.name, "s");
    EXPECT_EQ(entry.facts.original_size, 10000u);
    std::string expected(10000, '\0');
    expected.replace(0, 5, "abcde");
    expected.replace(8000, 3, "XYZ");
    EXPECT_TRUE(ReadAllOf(*reader->OpenData()) == expected);
    EXPECT_FALSE(reader->Next(entry));
}

TEST(TarContract, BidTellsTarFromOtherBytes) {
    std::vector<uint8_t> plain;
    Append(plain, HeaderOf("f", typeflag::kRegular, 0));
    plain.resize(plain.size() + 2 * kBlock, 0);
    std::vector<uint8_t> broken = plain;
    broken[0] ^= 1;  // its checksum no longer holds
    std::vector<uint8_t> zip = {'P', 'K', 3, 4};
    zip.resize(1024, 0);
    std::vector<uint8_t> gzipped_text;  // a compression whose content is no TAR archive
    {
        io::VectorSink sink(gzipped_text);
        const auto* method = quorvex6::backend::codecs::FindMethod("gzip");
        ASSERT_NE(method, nullptr);
        const std::string x(2000, 'x');
        io::MemorySource text(Bytes(x));
        ASSERT_EQ(method->make_encoder()->encode(text, sink, UINT64_MAX),
                  quorvex6::backend::codecs::Status::kOk);
    }
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool tar;
    };
    const Case cases[] = {
        {"a header", plain, true},
        {"a broken checksum", broken, false},
        {"end blocks only", std::vector<uint8_t>(2 * kBlock, 0), false},
        {"zip", zip, false},
        {"nothing", {}, false},
        {"gzip of text", gzipped_text, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Bid(c.bytes).has_value(), c.tar) << c.what;
        io::MemoryInput input(c.bytes);
        EXPECT_EQ(Bid(input).has_value(), c.tar) << c.what;
    }
}

}  // namespace
}  // namespace quorvex6::backend::tar
