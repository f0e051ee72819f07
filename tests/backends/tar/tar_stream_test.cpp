// How much of the archive the buffered stream reads: walking the headers of a file that can
// seek must not copy the data passed over, while reading data still takes large pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "formats/tar/tar_source.h"

namespace quorvex6::backend::tar {
namespace {

uint8_t ByteAt(uint64_t offset) { return static_cast<uint8_t>(offset % 251); }

// A seekable archive of `size` bytes that counts what is read from it.
class CountedBytes final : public ByteSource {
  public:
    CountedBytes(uint64_t size, uint64_t& read, uint64_t& reads)
        : size_(size), read_(read), reads_(reads) {}
    std::ptrdiff_t Read(uint8_t* data, size_t size) override {
        size_t n = static_cast<size_t>(std::min<uint64_t>(size, size_ - offset_));
        for (size_t i = 0; i < n; ++i) data[i] = ByteAt(offset_ + i);
        offset_ += n;
        read_ += n;
        ++reads_;
        return static_cast<std::ptrdiff_t>(n);
    }
    Skipped Skip(uint64_t n) override {
        if (n > size_ - offset_) return Skipped::kPastEnd;
        offset_ += n;
        return Skipped::kDone;
    }

  private:
    uint64_t size_;
    uint64_t offset_ = 0;
    uint64_t& read_;
    uint64_t& reads_;
};

TEST(TarStream, ReadsLittleWhilePassingOverData) {
    constexpr uint64_t kEntry = 512 + (300 << 10);  // a header and its data
    constexpr size_t kBig = TarStream::kBuffer;
    struct Step {
        size_t fill;    // bytes taken
        uint64_t skip;  // then passed over
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        uint64_t max_read;   // bytes read from the source in all
        uint64_t max_reads;  // read calls
    };
    const std::vector<Step> headers(8, Step{512, kEntry - 512});
    std::vector<Step> headers_then_data = headers;
    headers_then_data.push_back({512, 0});
    for (int i = 0; i < 4; ++i) headers_then_data.push_back({kBig, 0});
    // Data that ends where the buffer does, its padding passed over at the source.
    const std::vector<Step> padding = {{kBig, 100}, {512, 0}, {kBig - 512, 0}};
    const Case cases[] = {
        {"headers past large data: one block each after the first read", headers, kBig + 7 * 512,
         8},
        {"data after headers is read in large pieces again", headers_then_data,
         kBig + 8 * 512 + 4 * uint64_t{kBig}, 8 + 1 + 4},
        {"passing over padding alone keeps reading ahead", padding, 2 * uint64_t{kBig}, 2},
    };
    for (const Case& c : cases) {
        uint64_t read = 0, reads = 0, at = 0;
        TarStream stream(std::make_unique<CountedBytes>(16 * kEntry, read, reads));
        for (const Step& step : c.steps) {
            ASSERT_EQ(stream.Fill(step.fill), static_cast<std::ptrdiff_t>(step.fill)) << c.what;
            ASSERT_EQ(stream.data()[0], ByteAt(at)) << c.what;
            ASSERT_EQ(stream.data()[step.fill - 1], ByteAt(at + step.fill - 1)) << c.what;
            stream.Consume(step.fill);
            ASSERT_TRUE(stream.Skip(step.skip)) << c.what;
            at += step.fill + step.skip;
        }
        EXPECT_LE(read, c.max_read) << c.what;
        EXPECT_LE(reads, c.max_reads) << c.what;
    }
}

}  // namespace
}  // namespace quorvex6::backend::tar
