// The buffered archive output: whatever order entries, patched headers and overwritten
// attempts come in, the file ends as if every write had gone straight to it, in few writes.
#include "common/buffered_output.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/result.h"

namespace quorvex6::backend {
namespace {

// A file in memory that counts its writes and can fail from the n-th one on.
struct MemoryFile {
    std::string bytes;
    int writes = 0;
    int fail_from = -1;
    void WriteAt(std::uint64_t offset, const void* data, std::size_t n) {
        if (writes++ == fail_from) throw Failure(result::kDiskFull, "full");
        if (bytes.size() < offset + n) bytes.resize(offset + n, '.');
        bytes.replace(offset, n, static_cast<const char*>(data), n);
    }
    void Truncate(std::uint64_t size) { bytes.resize(size); }
};

struct Write {
    std::uint64_t offset;
    std::string data;
};

TEST(BufferedFileOutput, EndsAsDirectWritesWould) {
    constexpr std::size_t kBig = BufferedFileOutput<MemoryFile>::kBufferSize;
    struct Case {
        const char* what;
        std::vector<Write> writes;
        std::uint64_t cut_at;
        int most_writes;
    };
    const Case cases[] = {
        {"appends gathered", {{0, "ab"}, {2, "cd"}, {4, "ef"}}, 6, 1},
        {"a header patched inside the buffer", {{0, "hhhh"}, {4, "data"}, {0, "HH"}}, 8, 1},
        {"an attempt written over and cut", {{0, "keep"}, {4, "failed"}, {4, "ok"}}, 6, 1},
        {"a write before the buffer flushes it first", {{10, "late"}, {0, "early"}}, 14, 2},
        {"a gap flushes", {{0, "a"}, {5, "b"}}, 6, 2},
        {"a write larger than the buffer goes straight on",
         {{0, "x"}, {1, std::string(kBig, 'y')}, {kBig + 1, "z"}},
         kBig + 2,
         3},
        {"the buffer full flushes",
         {{0, std::string(kBig - 1, 'a')}, {kBig - 1, "bc"}},
         kBig + 1,
         2},
    };
    for (const Case& c : cases) {
        MemoryFile direct, buffered_file;
        for (const Write& w : c.writes) direct.WriteAt(w.offset, w.data.data(), w.data.size());
        direct.Truncate(c.cut_at);
        BufferedFileOutput<MemoryFile> out(buffered_file);
        for (const Write& w : c.writes)
            ASSERT_TRUE(out.write_at(w.offset, w.data.data(), w.data.size())) << c.what;
        out.seek(c.cut_at);
        ASSERT_TRUE(out.CutHere()) << c.what;
        EXPECT_EQ(buffered_file.bytes, direct.bytes) << c.what;
        EXPECT_LE(buffered_file.writes, c.most_writes) << c.what;
    }
}

TEST(BufferedFileOutput, AFailedFlushIsKeptForRethrow) {
    MemoryFile file;
    file.fail_from = 0;
    BufferedFileOutput<MemoryFile> out(file);
    ASSERT_TRUE(out.write("abc", 3));
    EXPECT_FALSE(out.Flush());
    try {
        out.Rethrow();
        ADD_FAILURE() << "nothing rethrown";
    } catch (const Failure& f) {
        EXPECT_EQ(f.code(), result::kDiskFull);
    }
}

}  // namespace
}  // namespace quorvex6::backend
