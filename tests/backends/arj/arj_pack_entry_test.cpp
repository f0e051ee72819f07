// A file packed for ARJ is read to its real end, however its size was listed, and never again
// once a read has come back short (on a tree of small files that read cost a file call each).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "formats/arj/arj_writer.h"
#include "io/crc32.h"

namespace quorvex6::backend::arj {
namespace {

using Bytes = std::vector<std::uint8_t>;

class CountedFile final : public io::RandomInput {
  public:
    CountedFile(const Bytes& bytes, std::uint64_t listed) : bytes_(bytes), listed_(listed) {}
    std::uint64_t size() const override { return listed_; }
    std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) override {
        if (offset == 0) short_seen_ = false;  // a new pass: stored after all
        EXPECT_FALSE(short_seen_) << "read again after a short read, at " << offset;
        ++reads;
        const std::size_t got = std::min<std::size_t>(n, bytes_.size() - offset);
        std::memcpy(data, bytes_.data() + offset, got);
        short_seen_ = got < n;
        return static_cast<std::ptrdiff_t>(got);
    }
    int reads = 0;

  private:
    const Bytes& bytes_;
    std::uint64_t listed_;
    bool short_seen_ = false;
};

class MemoryOutput final : public io::RandomOutput {
  public:
    bool write_at(std::uint64_t offset, const void* data, std::size_t n) override {
        bytes.resize(std::max<std::size_t>(bytes.size(), offset + n));
        std::memcpy(bytes.data() + offset, data, n);
        return true;
    }
    Bytes bytes;
};

TEST(ArjPackEntry, ReadsAFileToItsEndOnceWhateverItsListedSize) {
    struct Case {
        const char* name;
        std::size_t size;
        std::uint64_t listed;
        std::uint8_t method;
        int most_reads;
    };
    const Case cases[] = {
        {"a small file", 3000, 3000, kMethodPacked, 1},
        // Packed past the listed size, so stored after all, in pieces the listed size long.
        {"a file that grew", 5000, 100, kMethodStored, 52},
        {"a file that shrank", 2000, 9000, kMethodPacked, 1},
        {"a file longer than the first read", 200000, 200000, kMethodPacked, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes data;
        for (int i = 0; data.size() < c.size; ++i) {
            const std::string line = "#define N" + std::to_string(i * 31 % 1009) + " 1\n";
            data.insert(data.end(), line.begin(), line.end());
        }
        data.resize(c.size);
        CountedFile file(data, c.listed);
        MemoryOutput out;
        Entry entry;
        entry.name = "f.h";
        PackEntry(out, entry, &file, kMethodPacked);
        EXPECT_EQ(entry.method, c.method);
        EXPECT_EQ(entry.original_size, data.size());
        EXPECT_EQ(entry.crc, io::Crc32(0, data.data(), data.size()));
        EXPECT_LE(file.reads, c.most_reads);
    }
}

}  // namespace
}  // namespace quorvex6::backend::arj
