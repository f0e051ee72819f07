// Sets of cabinets read as one: folders joined across cabinets, split blocks rejoined, each
// file once, and a next cabinet taken only when its header continues the set.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backends/cab/set_maker.h"
#include "backends/lha/memory_bytes.h"
#include "formats/cab/cab_reader.h"
#include "io/fault.h"
#include "io/memory.h"

namespace quorvex6::backend::cab {
namespace {

using Bytes = lha::test::Bytes;
using Disk = std::map<std::string, std::string>;  // cabinets by name

std::unique_ptr<io::RandomInput> InputOf(const std::string& bytes) {
    return std::make_unique<lha::test::MemoryInput>(Bytes(bytes.begin(), bytes.end()));
}

// Opens `first` of `disk`, the others found by exact name.
std::unique_ptr<CabReader> OpenSet(const Disk& disk, const std::string& first) {
    return std::make_unique<CabReader>(
        InputOf(disk.at(first)), first,
        [&disk](const std::string& name) -> std::unique_ptr<io::RandomInput> {
            auto found = disk.find(name);
            return found == disk.end() ? nullptr : InputOf(found->second);
        });
}

Disk Named(const std::vector<std::string>& cabinets, const std::string& base) {
    Disk disk;
    for (std::size_t k = 0; k < cabinets.size(); ++k)
        disk[base + std::to_string(k + 1) + ".cab"] = cabinets[k];
    return disk;
}

std::string Extract(EntryDecoder& decoder, const CabEntry& entry) {
    Bytes out;
    io::VectorSink sink(out);
    decoder.Extract(entry, sink);
    return std::string(out.begin(), out.end());
}

std::string Pattern(std::size_t size, char seed) {
    std::string s;
    for (std::size_t i = 0; i < size; ++i) s += static_cast<char>(seed + i * 7 % 251);
    return s;
}

const std::vector<testing::SetFile> kFiles = {
    {"a.txt", Pattern(300, 'a')},
    {"dir\\b.bin", Pattern(1000, 'b')},
    {"c.txt", Pattern(50, 'c')},
    {"d.bin", Pattern(700, 'd')},
};

TEST(CabSet, JoinsFoldersAndSplitBlocks) {
    struct Case {
        const char* name;
        std::size_t block;
        std::vector<std::size_t> cuts;
    };
    const Case cases[] = {
        {"two, cut on a block boundary", 256, {512}},
        {"two, a block split", 256, {600}},
        {"three, blocks split", 256, {700, 1500}},
        {"b spans three cabinets", 4096, {400, 900}},
        {"one block through three cabinets", 4096, {100, 200}},
        {"cuts on block boundaries", 100, {400, 1200, 1400}},
    };
    for (const Case& c : cases) {
        std::size_t count = c.cuts.size() + 1;
        Disk disk = Named(
            testing::MakeStoredSet(kFiles, c.block, c.cuts, testing::ChainedHeaders("set", count)),
            "set");
        auto reader = OpenSet(disk, "set1.cab");
        EXPECT_EQ(reader->set().cabinets.size(), count) << c.name;
        ASSERT_EQ(reader->entries().size(), kFiles.size()) << c.name;
        EntryDecoder decoder(*reader);
        std::uint64_t packed = 0;
        for (std::size_t i = 0; i < kFiles.size(); ++i) {
            const CabEntry& entry = reader->entries()[i];
            EXPECT_FALSE(entry.incomplete) << c.name << " " << i;
            EXPECT_EQ(entry.name, i == 1 ? "dir/b.bin" : kFiles[i].name) << c.name;
            EXPECT_EQ(Extract(decoder, entry), kFiles[i].data) << c.name << " " << i;
            packed += entry.packed;
        }
        // The folder's packed bytes are shared out over its files once, from every cabinet.
        EXPECT_GE(packed, 2000u) << c.name;
        // Out of order, each file decodes the joined folder afresh.
        EntryDecoder backwards(*reader);
        for (std::size_t i = kFiles.size(); i-- > 0;)
            EXPECT_EQ(Extract(backwards, reader->entries()[i]), kFiles[i].data) << c.name;
    }
}

// Which next cabinets are taken: only one whose header continues the set.
TEST(CabSet, TakesOnlyACabinetThatContinuesTheSet) {
    auto headers = testing::ChainedHeaders("set", 2);
    struct Case {
        const char* name;
        std::function<void(testing::SetHeader&)> change;  // to the second cabinet's header
        bool joined;
    };
    const Case cases[] = {
        {"continues", [](testing::SetHeader&) {}, true},
        {"previous name in another case", [](testing::SetHeader& h) { h.previous = "SET1.CAB"; },
         true},
        {"another set", [](testing::SetHeader& h) { h.set_id = 7; }, false},
        {"wrong index", [](testing::SetHeader& h) { h.index = 2; }, false},
        {"first of its own set", [](testing::SetHeader& h) { h.index = 0; }, false},
        {"no previous", [](testing::SetHeader& h) { h.previous.clear(); }, false},
        {"names another previous", [](testing::SetHeader& h) { h.previous = "other.cab"; }, false},
    };
    for (const Case& c : cases) {
        auto changed = headers;
        c.change(changed[1]);
        Disk disk = Named(testing::MakeStoredSet(kFiles, 256, {600}, changed), "set");
        auto reader = OpenSet(disk, "set1.cab");
        EXPECT_EQ(reader->set().cabinets.size(), c.joined ? 2u : 1u) << c.name;
        EntryDecoder decoder(*reader);
        std::size_t extracted = 0;
        for (const CabEntry& entry : reader->entries()) {
            try {
                Extract(decoder, entry);
                ++extracted;
            } catch (const io::Error& error) {
                EXPECT_TRUE(entry.incomplete) << c.name << " " << entry.name;
                EXPECT_EQ(error.fault(), io::Fault::kBrokenData) << c.name;
            }
        }
        // Block 2 (512..767) is split at 600: a and b lie before it, d after.
        EXPECT_EQ(extracted, c.joined ? 4u : 1u) << c.name;
    }
}

TEST(CabSet, AMissingCabinetCostsOnlyTheFilesThatNeedIt) {
    auto cabinets =
        testing::MakeStoredSet(kFiles, 256, {700, 1500}, testing::ChainedHeaders("set", 3));
    struct Case {
        const char* name;
        std::vector<std::size_t> present;  // cabinets on disk, the first opened
        std::vector<bool> complete;        // in listed order
    };
    const Case cases[] = {
        {"second missing", {0, 2}, {true, false}},
        // b, c and d all need block 5, split between the second and the third.
        {"third missing", {0, 1}, {true, false, false, false}},
        // Opened from the middle: what lies before is not looked for, and where the folder
        // that runs on from it starts is not known.
        {"from the second", {1, 2}, {false, false, false}},
        {"the last alone", {2}, {false, false, false}},
    };
    for (const Case& c : cases) {
        Disk disk;
        for (std::size_t k : c.present) disk["set" + std::to_string(k + 1) + ".cab"] = cabinets[k];
        auto reader = OpenSet(disk, "set" + std::to_string(c.present[0] + 1) + ".cab");
        const auto& entries = reader->entries();
        ASSERT_EQ(entries.size(), c.complete.size()) << c.name;
        EntryDecoder decoder(*reader);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(!entries[i].incomplete, c.complete[i]) << c.name << " " << entries[i].name;
            if (c.complete[i]) {
                std::string expected;
                for (const auto& f : kFiles)
                    if (f.name == entries[i].file.raw_name) expected = f.data;
                EXPECT_EQ(Extract(decoder, entries[i]), expected) << c.name << " " << i;
            }
        }
    }
}

TEST(CabSet, ReadsMakecabsSetOfFive) {
    Disk disk;
    for (int k = 1; k <= 5; ++k) {
        Bytes bytes =
            lha::test::read_file(std::string(std::getenv("QV_TEST_DATA")) +
                                 "/cab/libmspack/multi_basic_pt" + std::to_string(k) + ".cab");
        ASSERT_FALSE(bytes.empty());
        disk["cabd_multi_basic_pt" + std::to_string(k) + ".cab"] =
            std::string(bytes.begin(), bytes.end());
    }
    auto reader = OpenSet(disk, "cabd_multi_basic_pt1.cab");
    EXPECT_EQ(reader->set().cabinets.size(), 5u);
    ASSERT_EQ(reader->entries().size(), 3u);
    EntryDecoder decoder(*reader);
    const std::size_t sizes[] = {76, 38, 76};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(reader->entries()[i].incomplete);
        EXPECT_EQ(Extract(decoder, reader->entries()[i]).size(), sizes[i]) << i;
    }
}

}  // namespace
}  // namespace quorvex6::backend::cab
