// The adapters between the shared file calls (which throw Failure) and codecs and formats
// (which take a status): the first Failure is the one rethrown, and reads come back whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backends/support/backend_library.h"
#include "common/file_input.h"
#include "common/file_sink.h"

namespace quorvex6::backend {
namespace {

// A file that fails every call after `good` of them, with codes counting up from 0x8005.
struct FailingFile {
    int good = 0;
    int32_t next_code = result::kDiskFull;
    std::vector<uint64_t> written_at;
    void Fail() {
        if (good-- <= 0) throw Failure(next_code++, "failed");
    }
    void Write(const void*, size_t) { Fail(); }
    void WriteAt(uint64_t offset, const void*, size_t) {
        Fail();
        written_at.push_back(offset);
    }
    void Truncate(uint64_t) { Fail(); }
};

int32_t CodeOfRethrow(const auto& kept) {
    try {
        kept.Rethrow();
    } catch (const Failure& f) {
        return f.code();
    }
    return 0;
}

TEST(FileAdapters, TheFirstFailureIsKeptForTheCaller) {
    const uint8_t byte = 7;
    FailingFile sink_file{.good = 1};
    FileSink sink(sink_file);
    EXPECT_TRUE(sink.write(&byte, 1));
    EXPECT_EQ(CodeOfRethrow(sink), 0);
    EXPECT_FALSE(sink.write(&byte, 1));
    EXPECT_FALSE(sink.write(&byte, 1));
    EXPECT_EQ(CodeOfRethrow(sink), result::kDiskFull);

    FailingFile output_file{.good = 2};
    FileOutput out(output_file);
    EXPECT_TRUE(out.write(&byte, 1));
    EXPECT_TRUE(out.write_at(10, &byte, 1));
    EXPECT_EQ(output_file.written_at, (std::vector<uint64_t>{0, 10}));
    EXPECT_EQ(out.position(), 1u);
    EXPECT_FALSE(out.write(&byte, 1));
    EXPECT_EQ(out.position(), 1u);  // a failed write does not advance
    EXPECT_FALSE(out.CutHere());
    EXPECT_EQ(CodeOfRethrow(out), result::kDiskFull);
}

using FileInputTest = quorvex6::testing::ScratchTest;

TEST_F(FileInputTest, ReadsAnyRangeAcrossItsReadAhead) {
    const std::filesystem::path path = root_ / "bytes";
    std::string bytes(200000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    std::ofstream(path, std::ios::binary) << bytes;
    FileInput in(path.string());
    EXPECT_EQ(in.size(), bytes.size());
    struct Case {
        uint64_t at;
        size_t n;
        size_t got;
    };
    for (const Case& c :
         {Case{0, 10, 10}, Case{65530, 20, 20}, Case{5, 100000, 100000}, Case{199990, 50, 10},
          Case{200000, 5, 0}, Case{300000, 5, 0}, Case{65536, 65536, 65536}, Case{3, 1, 1}}) {
        std::vector<char> out(c.n);
        ASSERT_EQ(in.read_at(c.at, out.data(), c.n), static_cast<std::ptrdiff_t>(c.got)) << c.at;
        EXPECT_EQ(std::string(out.data(), c.got),
                  bytes.substr(static_cast<size_t>(std::min<uint64_t>(c.at, bytes.size())), c.got))
            << c.at;
    }
}

}  // namespace
}  // namespace quorvex6::backend
