// Folders cut into a set: every cabinet within the limit, read back whole by our reader, and
// laid out as readers that merge sets expect.
#include "formats/cab/cab_set_writer.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/lha/memory_bytes.h"
#include "formats/cab/cab_cabinet.h"
#include "formats/cab/cab_format.h"
#include "formats/cab/cab_reader.h"
#include "formats/cab/cab_writer.h"
#include "io/fault.h"
#include "io/memory.h"

namespace quorvex6::backend::cab {
namespace {

using Bytes = lha::test::Bytes;

struct Source {
    std::string name, data;
};

// Folders as cab32 writes them for a set: one for each file that has data, in a work file
// that starts with room for the header a single cabinet would have.
struct Packed {
    Bytes data;
    SetContents contents;
};

Packed MakeFolders(const std::vector<Source>& sources, std::uint16_t type) {
    std::vector<std::string> names;
    for (const Source& s : sources) names.push_back(s.name);
    lha::test::MemoryOutput out;
    out.seek(HeaderRoom(names));
    Packed packed;
    FolderEncoder encoder(type, 6);
    for (const Source& s : sources) {
        io::MemoryInput data(
            std::span(reinterpret_cast<const std::uint8_t*>(s.data.data()), s.data.size()));
        WrittenFolder folder{out.position(), 0, type};
        std::uint64_t read = 0;
        folder.blocks = encoder.Encode(data, s.data.size(), out, &read);
        if (read != 0 || packed.contents.folders.empty()) {
            packed.contents.folders.push_back(folder);
            packed.contents.files.emplace_back();
        }
        WrittenFile file;
        file.name = s.name;
        file.size = static_cast<std::uint32_t>(read);
        packed.contents.files.back().push_back(file);
    }
    packed.contents.id_seed = out.position();
    packed.data = out.bytes;
    return packed;
}

std::string Name(std::size_t index) { return "s" + std::to_string(index + 1) + ".cab"; }

std::map<std::string, Bytes> Split(const Packed& packed, std::uint64_t limit) {
    std::vector<std::unique_ptr<lha::test::MemoryOutput>> outputs;
    SetNaming naming{Name, [&](std::size_t) -> io::RandomOutput& {
                         outputs.push_back(std::make_unique<lha::test::MemoryOutput>());
                         return *outputs.back();
                     }};
    io::MemoryInput input(packed.data);
    std::size_t count = WriteCabinetSet(input, packed.contents, limit, naming);
    EXPECT_EQ(count, outputs.size());
    std::map<std::string, Bytes> disk;
    for (std::size_t k = 0; k < outputs.size(); ++k) disk[Name(k)] = outputs[k]->bytes;
    return disk;
}

std::unique_ptr<CabReader> OpenSet(const std::map<std::string, Bytes>& disk) {
    return std::make_unique<CabReader>(
        std::make_unique<lha::test::MemoryInput>(disk.at(Name(0))), Name(0),
        [&disk](const std::string& name) -> std::unique_ptr<io::RandomInput> {
            auto found = disk.find(name);
            if (found == disk.end()) return nullptr;
            return std::make_unique<lha::test::MemoryInput>(found->second);
        });
}

std::string Noise(std::size_t size, std::uint32_t seed) {
    std::string s;
    for (std::size_t i = 0; i < size; ++i) s += static_cast<char>((seed = seed * 69069u + 1) >> 24);
    return s;
}

std::string Text(std::size_t lines) {
    std::string s;
    for (std::size_t i = 0; i < lines; ++i) s += "line " + std::to_string(i % 97) + "\n";
    return s;
}

TEST(CabSetWriter, EveryCabinetWithinTheLimitAndReadBackWhole) {
    const std::vector<Source> sources = {
        {"a.txt", Text(3000)},
        {"empty", ""},
        {"dir\\noise.bin", Noise(90000, 7)},
        {"small.txt", "small"},
        {"b.bin", Noise(40000, 9)},
    };
    struct Case {
        std::uint16_t type;
        std::uint64_t limit;
    };
    const Case cases[] = {
        {kMethodStore, 20000},  // the noise spans several cabinets, blocks split
        {kMethodStore, 64 * 1024},
        {kMethodMszip, 10000},
        {kMethodMszip, 1024},  // many cabinets, every block split
        {static_cast<std::uint16_t>(kMethodLzx | 16 << 8), 7000},
    };
    for (const Case& c : cases) {
        auto disk = Split(MakeFolders(sources, c.type), c.limit);
        EXPECT_GT(disk.size(), 1u) << c.type << " " << c.limit;
        for (const auto& [name, bytes] : disk) EXPECT_LE(bytes.size(), c.limit) << name;
        auto reader = OpenSet(disk);
        EXPECT_EQ(reader->set().cabinets.size(), disk.size());
        ASSERT_EQ(reader->entries().size(), sources.size()) << c.type << " " << c.limit;
        EntryDecoder decoder(*reader);
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const CabEntry& entry = reader->entries()[i];
            EXPECT_FALSE(entry.incomplete) << entry.name;
            Bytes out;
            io::VectorSink sink(out);
            decoder.Extract(entry, sink);
            EXPECT_EQ(std::string(out.begin(), out.end()), sources[i].data)
                << c.type << " " << c.limit << " " << entry.name;
        }
        // A folder that runs on into a cabinet is its first, and holds only the file that ran
        // on: readers that merge sets drop every other file listed in it.
        for (std::size_t k = 1; k < reader->set().cabinets.size(); ++k) {
            const Cabinet& cab = reader->set().cabinets[k].cabinet;
            for (const CabFile& file : cab.files)
                EXPECT_TRUE(file.folder != 0 || file.size == 0)
                    << Name(k) << " " << file.raw_name << " in a continued folder";
        }
    }
}

TEST(CabSetWriter, RefusesALimitTooSmallForTheHeaders) {
    Packed single = MakeFolders({{"a-rather-long-name.txt", Noise(5000, 3)}}, kMethodStore);
    // The second cabinet names both neighbours, and needs one byte more than this.
    const std::uint64_t too_small = SmallestSetCabinet(22, Name(1).size()) - 1;
    for (std::uint64_t limit : {std::uint64_t{40}, too_small}) {
        std::optional<io::Fault> fault = lha::test::FaultOf([&] { Split(single, limit); });
        EXPECT_EQ(fault, io::Fault::kWrite) << limit;
    }
    // Room for a byte of data in the cabinets of the longest names: a few in the others.
    auto disk = Split(single, SmallestSetCabinet(22, Name(99999).size()));
    EXPECT_GT(disk.size(), 100u);
    Bytes out;
    io::VectorSink sink(out);
    auto reader = OpenSet(disk);
    EntryDecoder(*reader).Extract(reader->entries()[0], sink);
    EXPECT_EQ(out.size(), 5000u);
}

std::vector<Source> operator+(std::vector<Source> sources, const Source& last) {
    sources.push_back(last);
    return sources;
}

// Files "f0", "f1", ... of `data` after `before`.
std::vector<Source> ManyFiles(std::vector<Source> before, std::size_t count, std::string data) {
    for (std::size_t i = 0; i < count; ++i) before.push_back({"f" + std::to_string(i), data});
    return before;
}

TEST(CabSetWriter, CountsUpToWhatTheFormatHolds) {
    enum class Outcome { kWritten, kTooLarge, kWrite };
    struct Case {
        const char* what;
        std::vector<Source> sources;
        std::uint64_t limit;
        Outcome outcome;
        std::vector<std::size_t> listed;  // files in each cabinet
    };
    const Case cases[] = {
        // Folder indices from 0xFFFD on mean continued files.
        {"65533 folders in one cabinet",
         ManyFiles({}, 0xFFFD, "x"),
         4'000'000,
         Outcome::kWritten,
         {0xFFFD}},
        {"the 65534th folder begins a cabinet",
         ManyFiles({}, 0xFFFE, "x"),
         4'000'000,
         Outcome::kWritten,
         {0xFFFD, 1}},
        {"a folder of 65535 files",
         ManyFiles({{"d", "x"}}, 0xFFFE, ""),
         4'000'000,
         Outcome::kWritten,
         {0xFFFF}},
        {"the 65536th file begins a cabinet",
         ManyFiles({{"d", "x"}}, 0xFFFE, "") + Source{"g", "y"},
         4'000'000,
         Outcome::kWritten,
         {0xFFFF, 1}},
        // The continued folder lists its file again, not its empty ones: 1 + 65534 files.
        {"empty files stay with the start of a spilled folder",
         ManyFiles({{"big", Noise(3'600'000, 5)}, {"e1", ""}, {"e2", ""}, {"e3", ""}, {"d", "x"}},
                   0xFFFD, ""),
         3'500'000,
         Outcome::kWritten,
         {4, 0xFFFF}},
        {"a folder of 65536 files",
         ManyFiles({{"d", "x"}}, 0xFFFF, ""),
         4'000'000,
         Outcome::kTooLarge,
         {}},
        {"cabinets of 2 GiB", {{"a", "x"}}, kMaxSetCabinet, Outcome::kWritten, {1}},
        {"cabinets past 2 GiB", {{"a", "x"}}, kMaxSetCabinet + 1, Outcome::kWrite, {}},
        // Two bytes of data in each cabinet at most: past 65535 cabinets long before the end.
        {"65536 cabinets",
         {{"a", Noise(200'000, 1)}},
         SmallestSetCabinet(1, Name(0xFFFF).size()),
         Outcome::kTooLarge,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Packed packed = MakeFolders(c.sources, kMethodStore);
        std::map<std::string, Bytes> disk;
        Outcome outcome = Outcome::kWritten;
        try {
            disk = Split(packed, c.limit);
        } catch (const SetTooLarge&) {
            outcome = Outcome::kTooLarge;
        } catch (const io::Error& error) {
            EXPECT_EQ(error.fault(), io::Fault::kWrite) << c.what;
            outcome = Outcome::kWrite;
        }
        ASSERT_EQ(outcome, c.outcome) << c.what;
        std::vector<std::size_t> listed;
        for (std::size_t k = 0; k < disk.size(); ++k) {
            io::MemoryInput input(disk.at(Name(k)));
            listed.push_back(ReadCabinet(input, 0).files.size());
        }
        EXPECT_EQ(listed, c.listed) << c.what;
        if (disk.empty()) continue;
        auto reader = OpenSet(disk);
        ASSERT_EQ(reader->entries().size(), c.sources.size()) << c.what;
        EntryDecoder decoder(*reader);
        for (std::size_t i : {std::size_t{0}, c.sources.size() - 1}) {
            Bytes out;
            io::VectorSink sink(out);
            decoder.Extract(reader->entries()[i], sink);
            EXPECT_EQ(std::string(out.begin(), out.end()), c.sources[i].data) << c.what << i;
        }
    }
}

}  // namespace
}  // namespace quorvex6::backend::cab
