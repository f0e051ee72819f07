// The ZIP format's contract on its own: the method table, the bid, and the reader's verdicts
// on archives held in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

#include "backends/support/backend_library.h"
#include "codecs/codec.h"
#include "common/archive_input.h"
#include "common/file_sink.h"
#include "common/file_system.h"
#include "formats/zip/member_decoders.h"
#include "formats/zip/zip_format.h"
#include "formats/zip/zip_methods.h"
#include "formats/zip/zip_reader.h"
#include "formats/zip/zip_writer.h"
#include "io/fault.h"
#include "io/memory.h"

namespace quorvex6::backend::zip {
namespace {

using io::Fault;
using quorvex6::testing::ReadAll;
using quorvex6::testing::TestData;

class BytesInput final : public io::RandomInput {
  public:
    explicit BytesInput(std::string bytes) : bytes_(std::move(bytes)) {}
    uint64_t size() const override { return bytes_.size(); }
    std::ptrdiff_t read_at(uint64_t offset, void* data, size_t n) override {
        if (offset >= bytes_.size()) return 0;
        n = std::min<size_t>(n, bytes_.size() - offset);
        std::memcpy(data, bytes_.data() + offset, n);
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    std::string bytes_;
};

std::string Archive(const std::string& name) { return ReadAll(TestData("zip/" + name)); }

TEST(ZipMethods, EveryRowReachesItsCodec) {
    std::set<uint16_t> numbers;
    for (const MethodRow& row : Methods()) {
        SCOPED_TRACE(row.listed);
        EXPECT_TRUE(numbers.insert(row.number).second) << "listed twice";
        EXPECT_LE(row.listed.size(), 5u);  // fits the record's method field with room to spare
        EXPECT_GE(row.version_needed, 10);
        if (!row.codec.empty()) {
            const quorvex6::backend::codecs::Method* codec =
                quorvex6::backend::codecs::FindMethod(row.codec);
            ASSERT_NE(codec, nullptr) << row.codec;
            EXPECT_NE(MakeDecoder(row.number), nullptr);
        } else {
            EXPECT_EQ(MakeDecoder(row.number), nullptr);
        }
        if (row.writable && !row.codec.empty()) {
            for (int level = 1; level <= 9; ++level)
                EXPECT_NE(MakeEncoder(row.number, level), nullptr);
        }
    }
}

TEST(ZipMethods, NamesAndWhatCannotBeWritten) {
    const std::pair<uint16_t, const char*> names[] = {{0, "Store"},  {8, "Defla"}, {9, "Def64"},
                                                      {12, "BZip2"}, {14, "LZMA"}, {99, "M99"}};
    for (auto [number, text] : names) EXPECT_EQ(MethodText(number), text);
    for (uint16_t number : {uint16_t{9}, uint16_t{12}, uint16_t{14}, uint16_t{99}}) {
        try {
            MakeEncoder(number, 6);
            ADD_FAILURE() << "an encoder for " << number;
        } catch (const io::Error& e) {
            EXPECT_EQ(e.fault(), Fault::kUnknownMethod);
        }
    }
    EXPECT_EQ(MakeDecoder(9), nullptr);
    EXPECT_EQ(MakeDecoder(99), nullptr);
}

TEST(ZipMethods, DeflateAtEveryLevelRoundTrips) {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i % 37) + "\n";
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    for (int level : {0, 1, 6, 9, 12}) {
        std::vector<uint8_t> packed, unpacked;
        io::MemorySource in({bytes, text.size()});
        io::VectorSink out(packed);
        ASSERT_EQ(MakeEncoder(kMethodDeflate, level)->encode(in, out, text.size()),
                  quorvex6::backend::codecs::Status::kOk);
        io::MemorySource again(packed);
        io::VectorSink back(unpacked);
        ASSERT_EQ(MakeDecoder(kMethodDeflate)->decode(again, packed.size(), text.size(), back),
                  quorvex6::backend::codecs::Status::kOk);
        EXPECT_EQ(std::string(unpacked.begin(), unpacked.end()), text) << level;
    }
}

TEST(ZipBid, WhereTheArchiveStarts) {
    const std::string zip = Archive("tree-infozip.zip");
    const std::string stub(3000, 'S');
    struct Case {
        const char* what;
        std::string bytes;
        std::optional<uint64_t> start;
    };
    const Case cases[] = {
        {"plain", zip, 0},
        {"after a self-extractor's program", stub + zip, stub.size()},
        {"with bytes appended", zip + "trailing", 0},
        {"both", stub + zip + "trailing", stub.size()},
        {"a comment holding the end signature", Archive("comment-signature-python.zip"), 0},
        {"cut short", Archive("truncated.zip"), std::nullopt},
        {"a TAR archive", ReadAll(TestData("tar/tree-pax-gnutar.tar")), std::nullopt},
        {"empty", "", std::nullopt},
        {"an end record alone", std::string("PK\5\6", 4) + std::string(18, '\0'), 0},
        {"a directory larger than the file",
         std::string("PK\5\6", 4) + std::string(8, '\0') + std::string("\x10\0\0\0", 4) +
             std::string(6, '\0'),
         std::nullopt},
    };
    for (const Case& c : cases) {
        BytesInput input(c.bytes);
        EXPECT_EQ(Bid(input), c.start) << c.what;
    }
}

TEST(ZipReaderContract, EveryEntryDecodesAlsoBehindAStub) {
    const std::string zip = Archive("tree-infozip.zip");
    ZipReader plain(std::make_unique<BytesInput>(zip));
    ZipReader behind(std::make_unique<BytesInput>(std::string(4096, 'S') + zip));
    ASSERT_EQ(plain.entries().size(), behind.entries().size());
    for (size_t i = 0; i < plain.entries().size(); ++i) {
        const ZipEntry& a = plain.entries()[i];
        const ZipEntry& b = behind.entries()[i];
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(b.local_offset, a.local_offset + 4096);
        std::vector<uint8_t> x, y;
        io::VectorSink xs(x), ys(y);
        plain.Extract(a, xs);
        behind.Extract(b, ys);
        EXPECT_EQ(x, y) << a.name;
        EXPECT_EQ(x.size(), a.original_size) << a.name;
    }
}

Fault FaultOfFirstBad(const std::string& archive, uint64_t* written) {
    ZipReader reader(std::make_unique<BytesInput>(Archive(archive)));
    for (const ZipEntry& entry : reader.entries()) {
        std::vector<uint8_t> out;
        io::VectorSink sink(out);
        try {
            reader.Extract(entry, sink);
        } catch (const io::Error& e) {
            *written = out.size();
            return e.fault();
        }
    }
    ADD_FAILURE() << archive << " decoded whole";
    return Fault::kNoMemory;
}

TEST(ZipReaderContract, FaultsOfEntries) {
    const std::pair<const char*, Fault> cases[] = {
        {"encrypted-infozip.zip", Fault::kEncrypted},
        {"deflate64-7zip.zip", Fault::kUnknownMethod},
        {"overlap-shared-python.zip", Fault::kBrokenHeader},
    };
    for (auto [archive, fault] : cases) {
        uint64_t written = 0;
        EXPECT_EQ(FaultOfFirstBad(archive, &written), fault) << archive;
        EXPECT_EQ(written, 0u) << archive;
    }
}

TEST(ZipReaderContract, ACheckValueFailsOnlyOnceAllDataIsOut) {
    ZipReader reader(std::make_unique<BytesInput>(Archive("badcrc.zip")));
    uint64_t written = 0;
    EXPECT_EQ(FaultOfFirstBad("badcrc.zip", &written), Fault::kDataChecksum);
    bool matched = false;
    for (const ZipEntry& entry : reader.entries())
        matched |= entry.original_size == written && written > 0;
    EXPECT_TRUE(matched) << written;
}

// What a member decodes to, or the fault that stopped it, with its own decoder or shared ones.
std::string Outcome(const ZipReader& reader, const ZipEntry& entry, MemberDecoders* shared) {
    std::vector<uint8_t> out;
    io::VectorSink sink(out);
    try {
        if (shared != nullptr) {
            reader.Extract(entry, sink, *shared);
        } else {
            reader.Extract(entry, sink);
        }
    } catch (const io::Error& e) {
        return "fault " + std::to_string(static_cast<int>(e.fault())) + " after " +
               std::to_string(out.size());
    }
    return std::string(out.begin(), out.end());
}

// One thread's decoders serve member after member of several methods, also after a member
// whose data was broken, exactly as a decoder of its own would.
TEST(ZipReaderContract, SharedDecodersServeEveryMemberInTurn) {
    MemberDecoders shared;
    for (const char* archive : {"tree-infozip.zip", "badcrc.zip", "bzip2-infozip.zip",
                                "lzma-7zip.zip", "stored-infozip.zip", "tree-infozip.zip"}) {
        ZipReader reader(std::make_unique<BytesInput>(Archive(archive)));
        ASSERT_FALSE(reader.entries().empty()) << archive;
        for (const ZipEntry& entry : reader.entries()) {
            EXPECT_EQ(Outcome(reader, entry, &shared), Outcome(reader, entry, nullptr))
                << archive << ": " << entry.name;
        }
    }
    EXPECT_EQ(shared.For(kMethodDeflate), shared.For(kMethodDeflate));
    EXPECT_NE(shared.For(kMethodDeflate), nullptr);
    EXPECT_EQ(shared.For(kMethodStored), nullptr);
    EXPECT_EQ(shared.For(9), nullptr);  // a method without a codec here
}

TEST(ZipReaderContract, NoArchiveAndBrokenDirectory) {
    const std::pair<std::string, Fault> cases[] = {
        {Archive("truncated.zip"), Fault::kNotArchive},
        {"no zip at all", Fault::kNotArchive},
        {std::string("PK\5\6", 4) + std::string(8, '\0') + std::string("\x10\0\0\0", 4) +
             std::string(6, '\0'),
         Fault::kBrokenHeader},
    };
    for (const auto& [bytes, fault] : cases) {
        try {
            ZipReader reader(std::make_unique<BytesInput>(bytes));
            ADD_FAILURE() << "read " << bytes.size() << " bytes";
        } catch (const io::Error& e) {
            EXPECT_EQ(e.fault(), fault) << bytes.size();
        }
    }
}

// Reads in pieces of at most 1000 bytes, as a file or a pipe may give them.
class PiecesSource final : public io::Source {
  public:
    explicit PiecesSource(const std::string& bytes) : bytes_(bytes) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        size_t n = std::min({size, size_t{1000}, bytes_.size() - at_});
        std::memcpy(data, bytes_.data() + at_, n);
        at_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    const std::string& bytes_;
    size_t at_ = 0;
};

std::string Decoded(const ZipReader& reader, const ZipEntry& entry) {
    std::vector<uint8_t> out;
    io::VectorSink sink(out);
    reader.Extract(entry, sink);
    return std::string(out.begin(), out.end());
}

class ZipWriterContract : public quorvex6::testing::ScratchTest {};

TEST_F(ZipWriterContract, StoredFromASourceAndRawCopiesReadBack) {
    std::string data;
    for (uint32_t i = 0; i < 300000; ++i) data += static_cast<char>((i * 7919u) >> 3);
    const std::string first = (root_ / "first.zip").string(),
                      second = (root_ / "second.zip").string();
    {
        OutputFile out = OutputFile::Create(first);
        FileOutput<OutputFile> output(out);
        ZipWriter writer(output);
        WriteEntry stored;
        stored.name = "stored.bin";
        stored.original_size = data.size();
        writer.Begin(stored);
        PiecesSource source(data);
        writer.Store(source);
        WriteEntry empty;
        empty.name = "empty/";
        writer.Add(empty, nullptr, 0);
        writer.Finish("the comment");
        out.Close();
    }
    ZipReader reader(std::make_unique<ArchiveInput>(first));
    ASSERT_EQ(reader.entries().size(), 2u);
    const ZipEntry& entry = reader.entries()[0];
    EXPECT_EQ(entry.method, kMethodStored);
    EXPECT_EQ(entry.original_size, data.size());
    EXPECT_EQ(entry.compressed_size, data.size());
    EXPECT_EQ(Decoded(reader, entry), data);
    EXPECT_EQ(reader.comment(), "the comment");
    {
        // Behind a first entry, so that every copied record moves.
        OutputFile out = OutputFile::Create(second);
        FileOutput<OutputFile> output(out);
        ZipWriter writer(output);
        WriteEntry front;
        front.name = "front.txt";
        writer.Add(front, nullptr, 0);
        for (const ZipEntry& kept : reader.entries()) writer.CopyRaw(reader, kept);
        writer.Finish();
        out.Close();
    }
    ZipReader copy(std::make_unique<ArchiveInput>(second));
    ASSERT_EQ(copy.entries().size(), 3u);
    const std::string a = ReadAll(first), b = ReadAll(second);
    for (size_t i = 0; i < 2; ++i) {
        const ZipEntry& was = reader.entries()[i];
        const ZipEntry& now = copy.entries()[i + 1];
        EXPECT_GT(now.local_offset, was.local_offset);
        uint64_t size = reader.RecordEnd(was) - was.local_offset;
        EXPECT_EQ(copy.RecordEnd(now) - now.local_offset, size);
        EXPECT_EQ(b.substr(now.local_offset, size), a.substr(was.local_offset, size)) << was.name;
        EXPECT_EQ(Decoded(copy, now), Decoded(reader, was)) << was.name;
    }
}

}  // namespace
}  // namespace quorvex6::backend::zip
