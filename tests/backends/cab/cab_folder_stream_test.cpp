// Files through one folder: blocks run across file boundaries, are compressed on several
// threads, and a file that fails part way leaves the folder as it was.
#include "formats/cab/cab_folder_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "backends/lha/memory_bytes.h"
#include "formats/cab/cab_format.h"
#include "formats/cab/cab_reader.h"
#include "io/fault.h"
#include "io/memory.h"

namespace quorvex6::backend::cab {
namespace {

using Bytes = lha::test::Bytes;

// Gives `good` bytes of a pattern, then fails.
class FailingInput final : public io::RandomInput {
  public:
    FailingInput(std::uint64_t size, std::uint64_t good) : size_(size), good_(good) {}
    std::uint64_t size() const override { return size_; }
    std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) override {
        if (offset + n > good_) return -1;
        std::memset(data, 'x', n);
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    std::uint64_t size_, good_;
};

struct Source {
    std::string name, data;
    bool fails = false;  // read fails after `good` bytes of 3 MiB
    std::uint64_t good = 1 << 20;
};

std::uint64_t RoomFor(const std::vector<Source>& sources) {
    std::vector<std::string> names;
    for (const Source& s : sources) names.push_back(s.name);
    return HeaderRoom(names);
}

// A cabinet of `sources` through one stream, its data from `room` on (theirs by default);
// those that fail are left out.
Bytes Pack(const std::vector<Source>& sources, std::uint16_t type, unsigned threads,
           std::uint64_t room = 0) {
    lha::test::MemoryOutput out;
    if (room == 0) room = RoomFor(sources);
    out.seek(room);
    FolderStream stream(type, 6, threads);
    std::vector<WrittenFile> files;
    for (const Source& s : sources) {
        std::uint64_t read = 0;
        // As the pack job does: each file written at the archive's position, `out` from there.
        lha::test::MemoryOutput entry;
        FolderStream::Place place;
        try {
            if (s.fails) {
                FailingInput input(3 << 20, s.good);
                stream.Append(input, input.size(), entry, out.position(), &read);
                ADD_FAILURE() << s.name << " did not fail";
            } else {
                io::MemoryInput input(
                    std::span(reinterpret_cast<const std::uint8_t*>(s.data.data()), s.data.size()));
                place = stream.Append(input, s.data.size(), entry, out.position(), &read);
            }
        } catch (const io::Error& error) {
            EXPECT_EQ(error.fault(), io::Fault::kRead);
            EXPECT_EQ(entry.position(), 0u);
            continue;
        }
        out.write(entry.bytes.data(), static_cast<std::size_t>(entry.position()));
        WrittenFile file;
        file.name = s.name;
        file.size = static_cast<std::uint32_t>(read);
        file.folder = place.folder;
        file.folder_offset = place.offset;
        files.push_back(file);
    }
    stream.Finish(out, 0);
    std::string header = CabinetHeader(out.position(), stream.folders(), files);
    EXPECT_LE(header.size(), room);
    Bytes bytes = out.bytes;
    std::copy(header.begin(), header.end(), bytes.begin());
    return bytes;
}

std::string Text(std::size_t size, std::size_t seed) {
    std::string s;
    while (s.size() < size) s += "entry " + std::to_string(seed++ % 1000) + " of the list\n";
    return s.substr(0, size);
}

TEST(CabFolderStream, FilesShareBlocksAndReadBack) {
    std::vector<Source> sources;
    for (std::size_t i = 0; i < 2000; ++i)
        sources.push_back({"small/" + std::to_string(i), Text(i % 7 == 0 ? 0 : i % 300, i)});
    sources.push_back({"big", Text(900000, 5)});
    sources.push_back({"after", Text(70000, 9)});
    struct Case {
        std::uint16_t type;
        unsigned threads;
        bool failing;  // a file that fails part way, between the big one and the last
    };
    const Case cases[] = {{kMethodMszip, 2, false},
                          {kMethodMszip, 3, true},
                          {kMethodMszip, 1, true},
                          {kMethodStore, 2, true}};
    for (const Case& c : cases) {
        std::vector<Source> these = sources;
        if (c.failing) these.insert(these.end() - 1, Source{"fails", "", true});
        Bytes cab = Pack(these, c.type, c.threads);
        auto reader = std::make_unique<CabReader>(std::make_unique<lha::test::MemoryInput>(cab));
        EXPECT_EQ(reader->cabinet().folders.size(), 1u);
        ASSERT_EQ(reader->entries().size(), sources.size()) << c.type << " " << c.threads;
        EntryDecoder decoder(*reader);
        for (std::size_t i = 0; i < sources.size(); ++i) {
            Bytes out;
            io::VectorSink sink(out);
            decoder.Extract(reader->entries()[i], sink);
            ASSERT_EQ(std::string(out.begin(), out.end()), sources[i].data)
                << c.type << " " << c.threads << " " << sources[i].name;
        }
        // Small files share blocks: far fewer blocks than files.
        EXPECT_LT(reader->cabinet().folders[0].blocks, 60u);
        if (c.type == kMethodMszip) {
            EXPECT_LT(cab.size(), 200000u);
        }
    }
}

// Batches are compressed while the next file is read: a file failing at any point of that
// leaves exactly the cabinet made without it.
TEST(CabFolderStream, AFailedFileLeavesTheCabinetAsWithoutIt) {
    const std::vector<Source> before = {
        {"a", Text(700000, 1)}, {"b", Text(123, 2)}, {"c", Text(40000, 3)}};
    const std::vector<Source> after = {{"d", Text(1500000, 4)}, {"e", Text(10, 5)}};
    struct Case {
        unsigned threads;
        std::uint64_t good;
    };
    const Case cases[] = {{1, 0},       {1, 100000},  {1, 600000},  {1, 2 << 20},       {2, 0},
                          {2, 1 << 20}, {2, 2 << 20}, {3, 1600000}, {3, (3 << 20) - 1}, {4, 50000}};
    for (const Case& c : cases) {
        std::vector<Source> without = before;
        without.insert(without.end(), after.begin(), after.end());
        std::vector<Source> with = before;
        with.push_back({"fails", "", true, c.good});
        with.insert(with.end(), after.begin(), after.end());
        const std::uint64_t room = RoomFor(with);
        EXPECT_EQ(Pack(with, kMethodMszip, c.threads, room),
                  Pack(without, kMethodMszip, c.threads, room))
            << c.threads << " " << c.good;
    }
}

}  // namespace
}  // namespace quorvex6::backend::cab
