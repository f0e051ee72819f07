// Quantum folders across files: files of every size and failure read back through our reader,
// folders cut where the limits say, and the lanes kept within the memory budget; such folders
// decoded ahead on threads give what the plain decoder gives, damage and all.
#include "formats/cab/cab_quantum_stream.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/cab/cabinet_maker.h"
#include "backends/lha/memory_bytes.h"
#include "codecs/quantum/quantum.h"
#include "formats/cab/cab_folder_prefetch.h"
#include "formats/cab/cab_format.h"
#include "formats/cab/cab_reader.h"
#include "io/fault.h"
#include "io/memory.h"

namespace quorvex6::backend::cab {
namespace {

using Bytes = lha::test::Bytes;

constexpr std::uint16_t kQuantum7 = kMethodQuantum | 7 << 4 | 21 << 8;
constexpr std::uint16_t kQuantum1Small = kMethodQuantum | 1 << 4 | 16 << 8;

// `size` readable bytes, then a read error.
class BrokenInput final : public io::RandomInput {
  public:
    BrokenInput(std::uint64_t size, std::uint64_t readable) : size_(size), readable_(readable) {}
    std::uint64_t size() const override { return size_; }
    std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) override {
        if (offset + n > readable_) return -1;
        std::fill_n(static_cast<std::uint8_t*>(data), n, std::uint8_t{'q'});
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    std::uint64_t size_, readable_;
};

struct File {
    std::string name, data;
    std::uint64_t broken_after = 0;  // a read error after this many bytes of data.size()...
    bool broken = false;             // ...when set; such a file is not in the cabinet
};

std::string Prose(std::size_t size, unsigned seed) {
    std::string s;
    for (unsigned i = seed; s.size() < size; ++i)
        s += "item " + std::to_string(i * 31 % 701) + " goes to shelf " + std::to_string(i % 17) +
             "\n";
    return s.substr(0, size);
}

struct Packed {
    Bytes cabinet;
    std::size_t folders = 0;
};

Packed PackThrough(QuantumStream& stream, const std::vector<File>& files) {
    lha::test::MemoryOutput out;
    std::vector<std::string> names;
    for (const File& f : files) names.push_back(f.name);
    const std::uint64_t room = HeaderRoom(names);
    out.seek(room);
    std::vector<WrittenFile> written;
    for (const File& f : files) {
        // The pack job's way: the entry at the archive's position, taken back when it fails.
        lha::test::MemoryOutput entry;
        std::uint64_t read = 0;
        QuantumStream::Place place;
        if (f.broken) {
            BrokenInput input(f.data.size(), f.broken_after);
            auto fault = lha::test::FaultOf(
                [&] { stream.Append(input, input.size(), entry, out.position(), &read); });
            EXPECT_EQ(fault, io::Fault::kRead) << f.name;
            EXPECT_EQ(entry.position(), 0u) << f.name;
            continue;
        }
        io::MemoryInput input(
            std::span(reinterpret_cast<const std::uint8_t*>(f.data.data()), f.data.size()));
        place = stream.Append(input, f.data.size(), entry, out.position(), &read);
        out.write(entry.bytes.data(), static_cast<std::size_t>(entry.position()));
        written.push_back({f.name, static_cast<std::uint32_t>(read), place.offset, place.folder});
    }
    stream.Finish(out, 0);
    std::string header = CabinetHeader(out.position(), stream.folders(), written);
    EXPECT_LE(header.size(), room);
    Packed packed{out.bytes, stream.folders().size()};
    packed.cabinet.resize(std::max<std::size_t>(packed.cabinet.size(), room));
    std::copy(header.begin(), header.end(), packed.cabinet.begin());
    return packed;
}

// Every file that did not fail, byte for byte, in order.
void ExpectFiles(const Bytes& cabinet, const std::vector<File>& files, const std::string& label) {
    auto reader = std::make_unique<CabReader>(std::make_unique<lha::test::MemoryInput>(cabinet));
    EntryDecoder decoder(*reader);
    std::size_t k = 0;
    for (const File& f : files) {
        if (f.broken) continue;
        ASSERT_LT(k, reader->entries().size()) << label;
        Bytes out;
        io::VectorSink sink(out);
        decoder.Extract(reader->entries()[k++], sink);
        ASSERT_EQ(std::string(out.begin(), out.end()), f.data) << label << " " << f.name;
    }
    EXPECT_EQ(k, reader->entries().size()) << label;
}

TEST(CabQuantumStream, FilesRunOnThroughFoldersAndReadBack) {
    std::vector<File> small;
    for (unsigned i = 0; i < 300; ++i)
        small.push_back({"s" + std::to_string(i), Prose(i % 5 == 0 ? 0 : i * 37 % 900, i)});
    struct Case {
        std::string label;
        std::uint16_t type;
        unsigned processors;
        std::uint64_t folder_input;
        std::vector<File> files;
        std::size_t min_folders, max_folders;
    };
    std::vector<File> mixed = small;
    mixed.insert(mixed.begin() + 100, {"large", Prose(300000, 3)});
    mixed.insert(mixed.begin() + 50, {"broken small", Prose(5000, 1), 4096, true});
    mixed.insert(mixed.begin() + 200, {"broken large", Prose(200000, 1), 70000, true});
    mixed.push_back({"last large", Prose(70001, 8)});
    const Case cases[] = {
        {"one folder", kQuantum7, 2, 4 << 20, small, 1, 1},
        {"folders of 16 KiB, 3 lanes", kQuantum1Small, 3, 16384, small, 4, 40},
        {"large and broken files", kQuantum7, 2, 65536, mixed, 5, 40},
        {"one lane", kQuantum1Small, 1, 65536, mixed, 5, 40},
        {"empty files only", kQuantum7, 2, 65536, {{"a", ""}, {"b", ""}}, 1, 1},
        {"broken first", kQuantum7, 2, 65536, {{"x", Prose(900, 0), 100, true}, {"y", "y"}}, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QuantumStream stream(c.type, c.processors, {c.folder_input, std::uint64_t{64} << 20});
        Packed packed = PackThrough(stream, c.files);
        ExpectFiles(packed.cabinet, c.files, c.label);
        EXPECT_GE(packed.folders, c.min_folders) << c.label;
        EXPECT_LE(packed.folders, c.max_folders) << c.label;
    }
}

TEST(CabQuantumStream, SmallFilesPackSmallerRunningOn) {
    std::vector<File> files;
    std::size_t total = 0;
    for (unsigned i = 0; i < 200; ++i) {
        files.push_back({"f" + std::to_string(i), Prose(1500, i * 11)});
        total += 1500;
    }
    QuantumStream across(kQuantum7, 2, {});
    std::size_t one_folder = PackThrough(across, files).cabinet.size();
    // A folder a file: what the stream saves on models that start flat.
    QuantumStream apart(kQuantum7, 2, {1, std::uint64_t{64} << 20});
    std::size_t folder_a_file = PackThrough(apart, files).cabinet.size();
    EXPECT_LT(one_folder * 3, folder_a_file);
    EXPECT_LT(one_folder * 10, total);
}

TEST(CabQuantumStream, LanesStayWithinTheBudget) {
    constexpr std::uint64_t kMiB = 1 << 20;
    struct Case {
        unsigned processors;
        std::uint64_t lane, budget;
        unsigned lanes;
    };
    const Case cases[] = {
        {1, 20 * kMiB, 64 * kMiB, 1}, {2, 20 * kMiB, 64 * kMiB, 2},  {3, 20 * kMiB, 64 * kMiB, 3},
        {4, 20 * kMiB, 64 * kMiB, 3}, {64, 20 * kMiB, 64 * kMiB, 3}, {8, 20 * kMiB, 10 * kMiB, 1},
        {8, 0, 64 * kMiB, 8},         {0, 20 * kMiB, 64 * kMiB, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LanesWithin(c.processors, c.lane, c.budget), c.lanes)
            << c.processors << " " << c.lane << " " << c.budget;

    // A Quantum encoder of the largest window holds about 12 MiB.
    std::uint64_t encoder = codecs::quantum::FrameEncoder::Footprint(21);
    EXPECT_GT(encoder, 10 * kMiB);
    EXPECT_LT(encoder, 13 * kMiB);
    for (unsigned processors : {1u, 2u, 6u, 16u, 256u}) {
        QuantumStream::Limits limits;
        QuantumStream stream(kQuantum7, processors, limits);
        std::uint64_t held =
            stream.lanes() * QuantumLaneBytes(21, limits.folder_input) + 2 * limits.folder_input;
        EXPECT_LE(held, limits.budget) << processors;
        EXPECT_GE(stream.lanes(), std::min(processors, 2u)) << processors;
    }
}

// Each entry's bytes, or its fault.
struct Outcome {
    std::string bytes;
    std::optional<io::Fault> fault;
    bool operator==(const Outcome&) const = default;
};

template <class Extract>
Outcome OutcomeOf(Extract&& extract) {
    Bytes out;
    io::VectorSink sink(out);
    Outcome outcome;
    outcome.fault = lha::test::FaultOf([&] { extract(sink); });
    if (!outcome.fault) outcome.bytes.assign(out.begin(), out.end());
    return outcome;
}

TEST(CabFolderPrefetch, GivesWhatThePlainDecoderGives) {
    std::vector<File> files;
    for (unsigned i = 0; i < 120; ++i)
        files.push_back({"f" + std::to_string(i), Prose(i % 7 == 0 ? 0 : 500 + i * 53 % 3000, i)});
    QuantumStream stream(kQuantum1Small, 2, {16384, std::uint64_t{64} << 20});
    const Bytes intact = PackThrough(stream, files).cabinet;
    // A byte of the third folder's first block changed.
    Bytes damaged = intact;
    {
        CabReader reader(std::make_unique<lha::test::MemoryInput>(intact));
        ASSERT_GT(reader.set().folders.size(), 4u);
        damaged[reader.set().folders[2].pieces.front().folder.data_offset + kDataSize + 5] ^= 0x20;
    }
    struct Case {
        std::string label;
        const Bytes& cabinet;
        std::uint64_t folder_bytes;
        unsigned threads;
        unsigned every;  // entries asked for: every n-th
        bool covers_some;
    };
    const Case cases[] = {
        {"one thread", intact, 1 << 20, 1, 1, true},
        {"two threads", intact, 1 << 20, 2, 1, true},
        {"four threads, every third entry", intact, 1 << 20, 4, 3, true},
        {"every eleventh entry, folders passed over", intact, 1 << 20, 2, 11, true},
        {"damaged", damaged, 1 << 20, 2, 1, true},
        {"damaged, every other entry", damaged, 1 << 20, 1, 2, true},
        {"folders too large to hold", intact, 1000, 2, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CabReader reader(std::make_unique<lha::test::MemoryInput>(c.cabinet));
        FolderPrefetch prefetch(reader, {c.folder_bytes, c.threads});
        EntryDecoder decoder(reader);
        bool covered = false, failed = false;
        for (std::size_t k = 0; k < reader.entries().size(); k += c.every) {
            const CabEntry& entry = reader.entries()[k];
            Outcome plain = OutcomeOf([&](io::Sink& sink) { decoder.Extract(entry, sink); });
            if (!prefetch.Covers(entry)) continue;
            covered = true;
            failed = failed || plain.fault.has_value();
            EXPECT_EQ(OutcomeOf([&](io::Sink& sink) { prefetch.Extract(entry, sink); }), plain)
                << entry.name;
        }
        EXPECT_EQ(covered, c.covers_some);
        EXPECT_EQ(failed, &c.cabinet == &damaged && c.covers_some);
    }
}

TEST(CabFolderPrefetch, OnlyFoldersReadOnceFrontToBack) {
    using testing::MadeFile;
    // One stored folder: the files are its pieces in their order.
    auto shared = [](const std::vector<MadeFile>& files, std::uint64_t limit) {
        const std::string cabinet = testing::MakeCabinet(files);
        CabReader reader(
            std::make_unique<lha::test::MemoryInput>(Bytes(cabinet.begin(), cabinet.end())));
        return SharedSmallFolders(reader, limit);
    };
    struct Case {
        std::string label;
        std::vector<MadeFile> files;
        std::uint64_t limit;
        std::size_t folders;
        std::uint64_t extent;
    };
    const Case cases[] = {
        {"two files", {{"a", "xyz"}, {"b", "pq"}}, 100, 1, 5},
        {"at the limit", {{"a", "xyz"}, {"b", "pq"}}, 5, 1, 5},
        {"past the limit", {{"a", "xyz"}, {"b", "pq"}}, 4, 0, 0},
        {"one file with data", {{"a", "xyz"}, {"b", ""}}, 100, 0, 0},
        {"empty files only", {{"a", ""}, {"b", ""}}, 100, 0, 0},
    };
    for (const Case& c : cases) {
        auto folders = shared(c.files, c.limit);
        ASSERT_EQ(folders.size(), c.folders) << c.label;
        if (!folders.empty()) {
            EXPECT_EQ(folders[0].extent, c.extent) << c.label;
        }
    }
}

}  // namespace
}  // namespace quorvex6::backend::cab
