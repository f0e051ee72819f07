// How an entry's data is read while it is packed: a file is read to its real end, however its
// size was listed, and never again once a read has come back short.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/arj/arj_writer.h"
#include "io/crc32.h"

namespace quorvex6::backend::arj {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A file whose listed size may differ from what it holds, counting the reads made of it.
class CountedFile final : public io::RandomInput {
  public:
    CountedFile(Bytes bytes, std::uint64_t listed) : bytes_(std::move(bytes)), listed_(listed) {}
    std::uint64_t size() const override { return listed_; }
    std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) override {
        // Each pass (packing, or storing after all) reads from the start.
        if (offset == 0) short_seen_ = false;
        EXPECT_FALSE(short_seen_) << "read again after a short read, at " << offset;
        ++reads_;
        const auto at = static_cast<std::size_t>(std::min<std::uint64_t>(offset, bytes_.size()));
        const std::size_t got = std::min(n, bytes_.size() - at);
        std::memcpy(data, bytes_.data() + at, got);
        short_seen_ = got < n;
        return static_cast<std::ptrdiff_t>(got);
    }
    int reads() const { return reads_; }

  private:
    Bytes bytes_;
    std::uint64_t listed_;
    int reads_ = 0;
    bool short_seen_ = false;
};

class MemoryOutput final : public io::RandomOutput {
  public:
    bool write_at(std::uint64_t offset, const void* data, std::size_t n) override {
        if (bytes.size() < offset + n) bytes.resize(offset + n);
        std::memcpy(bytes.data() + offset, data, n);
        return true;
    }
    Bytes bytes;
};

Bytes Text(std::size_t size) {
    Bytes b;
    for (int i = 0; b.size() < size; ++i) {
        const std::string line =
            "#define NAME_" + std::to_string(i % 97) + " " + std::to_string(i * 31 % 1009) + "\n";
        b.insert(b.end(), line.begin(), line.end());
    }
    b.resize(size);
    return b;
}

TEST(ArjPackEntry, ReadsAFileToItsEndOnceWhateverItsListedSize) {
    struct Case {
        const char* name;
        std::size_t size;
        std::uint64_t listed;
        std::uint8_t method;
        int most_reads;
    };
    const Case cases[] = {
        {"a small file in one read", 3000, 3000, kMethodPacked, 1},
        // Packed past the listed size, so stored after all, in pieces the listed size long.
        {"a file that grew after it was listed", 5000, 100, kMethodStored, 52},
        {"a file that shrank after it was listed", 2000, 9000, kMethodPacked, 1},
        {"a file longer than the first read", 200000, 200000, kMethodPacked, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes data = Text(c.size);
        CountedFile file(data, c.listed);
        MemoryOutput out;
        Entry entry;
        entry.name = "f.h";
        PackEntry(out, entry, &file, kMethodPacked);
        EXPECT_EQ(entry.method, c.method);
        EXPECT_EQ(entry.original_size, data.size());
        EXPECT_EQ(entry.crc, io::Crc32(0, data.data(), data.size()));
        EXPECT_LE(file.reads(), c.most_reads);
    }
}

}  // namespace
}  // namespace quorvex6::backend::arj
