// The container on its own: checksum, method texts, the bid, the reader over makecab's
// cabinets and damaged ones.
#include "formats/cab/cab_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "backends/cab/cabinet_maker.h"
#include "backends/lha/memory_bytes.h"
#include "formats/cab/cab_reader.h"
#include "formats/cab/cab_writer.h"
#include "io/byte_order.h"
#include "io/fault.h"
#include "io/memory.h"

namespace quorvex6::backend::cab {
namespace {

using Bytes = lha::test::Bytes;

Bytes ReadFile(const std::string& relative) {
    const char* dir = std::getenv("QV_TEST_DATA");
    std::ifstream in(std::filesystem::path(dir ? dir : "tests/data") / "cab" / relative,
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::unique_ptr<CabReader> Open(Bytes bytes) {
    return std::make_unique<CabReader>(std::make_unique<lha::test::MemoryInput>(std::move(bytes)));
}

std::string Extract(const CabReader& reader, const CabEntry& entry) {
    Bytes out;
    io::VectorSink sink(out);
    EntryDecoder(reader).Extract(entry, sink);
    return std::string(out.begin(), out.end());
}

TEST(CabChecksum, WordsThenTheLastBytesInReverseSignificance) {
    struct Case {
        Bytes data;
        std::uint32_t seed, expected;
    };
    const Case cases[] = {
        {{}, 0x12345678, 0x12345678},
        {{1}, 0, 0x01},
        {{1, 2}, 0, 0x0102},
        {{1, 2, 3}, 0, 0x010203},
        {{1, 2, 3, 4}, 0, 0x04030201},
        {{1, 2, 3, 4, 5, 6, 7}, 0, 0x04030201 ^ 0x050607},
        {{1, 2, 3, 4, 1, 2, 3, 4}, 0xFF, 0xFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Checksum(c.data.data(), c.data.size(), c.seed), c.expected) << c.data.size();
    // The block's sizes follow its data, as one more 4-byte word.
    Bytes five = {1, 2, 3, 4, 5};
    EXPECT_EQ(BlockChecksum(five.data(), five.size(), 5, 7), (0x04030201u ^ 0x05u) ^ 0x00070005u);
}

TEST(CabFormat, MethodTexts) {
    struct Case {
        std::uint16_t type;
        const char* text;
    };
    const Case cases[] = {{0x0000, "NONE"}, {0x0001, "MSZIP"}, {0x1503, "LZX21"}, {0x0F03, "LZX15"},
                          {0x1272, "QTM7"}, {0x1222, "QTM2"},  {0x0004, "?"}};
    for (const Case& c : cases) EXPECT_EQ(MethodText(c.type), c.text) << c.type;
}

TEST(CabFormat, BidFindsACabinetBehindAProgram) {
    Bytes cab = ReadFile("libarchive/test_read_format_cab_1.cab");
    ASSERT_FALSE(cab.empty());
    Bytes stub(70000, 0x90);
    stub.insert(stub.begin() + 100, {'M', 'S', 'C', 'F'});  // a signature alone is not enough
    Bytes sfx = stub;
    sfx.insert(sfx.end(), cab.begin(), cab.end());
    struct Case {
        const char* name;
        Bytes bytes;
        std::optional<std::uint64_t> start;
    };
    const Case cases[] = {
        {"bare", cab, 0},
        {"behind a program", sfx, stub.size()},
        {"program alone", stub, std::nullopt},
        {"empty", {}, std::nullopt},
    };
    for (const Case& c : cases) {
        io::MemoryInput input(c.bytes);
        EXPECT_EQ(Bid(input), c.start) << c.name;
    }
    auto reader = Open(sfx);
    ASSERT_EQ(reader->entries().size(), 3u);
    EXPECT_EQ(Extract(*reader, reader->entries()[1]).size(), 60u);
}

TEST(CabReader, MakecabsMszipWithHistoryAcrossBlocks) {
    auto reader = Open(ReadFile("libarchive/test_read_format_cab_2.cab"));
    const auto& entries = reader->entries();
    ASSERT_EQ(entries.size(), 4u);
    const char* names[] = {"empty", "zero", "dir1/file1", "dir2/file2"};
    const std::uint32_t sizes[] = {0, 33000, 60, 78};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(entries[i].name, names[i]);
        EXPECT_EQ(entries[i].file.size, sizes[i]);
        EXPECT_EQ(entries[i].method, "MSZIP");
    }
    EXPECT_EQ(Extract(*reader, entries[1]), std::string(33000, '\0'));
    // Out of stored order each entry decodes its folder afresh, to the same bytes.
    EntryDecoder decoder(*reader);
    std::vector<std::string> backwards(4);
    for (size_t i = 4; i-- > 0;) {
        Bytes out;
        io::VectorSink sink(out);
        decoder.Extract(entries[i], sink);
        backwards[i].assign(out.begin(), out.end());
        EXPECT_EQ(backwards[i], Extract(*reader, entries[i])) << i;
    }
}

TEST(CabReader, NamesAttributesAndTimes) {
    auto reader = Open(AsBytes(testing::MakeCabinet({
        {"dir\\a.txt", "a", 0x01 | 0x02 | 0x04 | 0x20 | 0x40},
        {"\xE6\x97\xA5\xE6\x9C\xAC.txt", "utf8", 0x80},  // flagged UTF-8
        {"\x93\xfa\x96\x7b.txt", "sjis", 0x00},          // unflagged: a legacy code page
    })));
    const auto& e = reader->entries();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].name, "dir/a.txt");
    EXPECT_EQ(e[1].name, "\xE6\x97\xA5\xE6\x9C\xAC.txt");
    EXPECT_EQ(e[2].name, "\xE6\x97\xA5\xE6\x9C\xAC.txt");
    EntryFacts facts = e[0].Facts();
    EXPECT_TRUE(facts.read_only && facts.hidden && facts.system && facts.archive_bit);
    EXPECT_FALSE(e[1].Facts().archive_bit);
    EXPECT_EQ(facts.method, "NONE");
    EXPECT_EQ(facts.mtime, 1623760496);  // 2021-06-15 12:34:56, read as UTC here
    EXPECT_EQ(Extract(*reader, e[2]), "sjis");
}

TEST(CabReader, GoingBackInAFolderHasABudget) {
    auto reader = Open(AsBytes(testing::MakeCabinet({{"a", "12345"}, {"b", "67890"}})));
    const auto& e = reader->entries();
    EntryDecoder decoder(*reader, 12);
    io::NullSink sink;
    decoder.Extract(e[0], sink);
    decoder.Extract(e[1], sink);  // on in the folder: free
    decoder.Extract(e[0], sink);  // back to the start: 5 bytes again
    decoder.Extract(e[1], sink);  // on again: free
    try {
        decoder.Extract(e[1], sink);  // back: 10 bytes again, 15 in all
        ADD_FAILURE() << "no fault";
    } catch (const io::Error& error) {
        EXPECT_EQ(error.fault(), io::Fault::kBrokenData) << error.what();
    }
}

TEST(CabReader, DamageIsAFaultOfItsKind) {
    std::string good = testing::MakeCabinet({{"a.txt", "hello"}});
    std::string bad_checksum = testing::MakeCabinet({{"a.txt", "hello"}}, 0xDEADBEEF);
    std::string no_name_end = good.substr(0, 36 + 8 + 16 + 3);
    std::string cut_data = good.substr(0, good.size() - 2);
    std::string wrong_folder = good;
    wrong_folder[36 + 8 + 8] = 1;  // iFolder of the one file
    std::string unknown_method = good;
    unknown_method[36 + 6] = 0x0F;  // typeCompress
    struct Case {
        const char* name;
        std::string bytes;
        io::Fault fault;
        bool on_open;
    };
    const Case cases[] = {
        {"not a cabinet", "MSCX" + good.substr(4), io::Fault::kNotArchive, true},
        {"name without its end", no_name_end, io::Fault::kBrokenHeader, true},
        {"file in a missing folder", wrong_folder, io::Fault::kBrokenHeader, true},
        {"checksum", bad_checksum, io::Fault::kDataChecksum, false},
        {"data cut short", cut_data, io::Fault::kBrokenData, false},
        {"no such method", unknown_method, io::Fault::kUnknownMethod, false},
    };
    for (const Case& c : cases) {
        try {
            auto reader = Open(AsBytes(c.bytes));
            ASSERT_FALSE(c.on_open) << c.name;
            Extract(*reader, reader->entries()[0]);
            ADD_FAILURE() << c.name << ": no fault";
        } catch (const io::Error& error) {
            EXPECT_EQ(error.fault(), c.fault) << c.name << ": " << error.what();
        }
    }
}

// What the writer makes, the reader reads; no block grows past what readers take.
TEST(CabWriter, FoldersAndHeaderReadBack) {
    std::string text;
    for (int i = 0; i < 9000; ++i) text += "line " + std::to_string(i % 700) + "\n";
    std::string noise;
    std::uint32_t x = 3;
    for (int i = 0; i < 80000; ++i) noise.push_back(static_cast<char>((x = x * 69069u + 1) >> 24));
    const std::string contents[] = {text, noise, "", "short"};
    for (std::uint16_t type : {kMethodMszip, kMethodStore}) {
        std::vector<std::string> names = {"dir\\text.txt", "noise.bin", "empty", "s"};
        lha::test::MemoryOutput out;
        out.seek(HeaderRoom(names));
        std::vector<WrittenFolder> folders;
        std::vector<WrittenFile> files;
        FolderEncoder encoder(type, 6);
        for (size_t i = 0; i < 4; ++i) {
            io::MemoryInput data(std::span(
                reinterpret_cast<const std::uint8_t*>(contents[i].data()), contents[i].size()));
            WrittenFolder folder{out.position(), 0, type};
            std::uint64_t read = 0;
            folder.blocks = encoder.Encode(data, contents[i].size(), out, &read);
            EXPECT_EQ(read, contents[i].size());
            if (read != 0) folders.push_back(folder);
            WrittenFile file;
            file.name = names[i];
            file.size = static_cast<std::uint32_t>(read);
            file.folder = static_cast<std::uint16_t>(folders.size() - 1);
            files.push_back(file);
        }
        std::string header = CabinetHeader(out.position(), folders, files);
        ASSERT_LE(header.size(), HeaderRoom(names));
        out.write_at(0, header.data(), header.size());

        for (const WrittenFolder& folder : folders) {
            std::uint64_t at = folder.offset;
            for (int b = 0; b < folder.blocks; ++b) {
                std::uint16_t packed = io::Le16(out.bytes.data() + at + 4);
                EXPECT_LE(packed, 32768u + 12u) << type;
                at += kDataSize + packed;
            }
        }
        auto reader = Open(out.bytes);
        ASSERT_EQ(reader->entries().size(), 4u);
        EXPECT_EQ(reader->entries()[0].name, "dir/text.txt");
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(Extract(*reader, reader->entries()[i]), contents[i]) << type << " " << i;
    }
}

}  // namespace
}  // namespace quorvex6::backend::cab
