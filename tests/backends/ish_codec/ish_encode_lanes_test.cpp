// The encoder's two lanes: the text they write together is the text one lane writes alone, and a
// Source or Sink that fails, or throws, in either lane's batch ends the encoding without a hang.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "backends/ish_codec/ish_support.h"
#include "backends/lh_codecs/memory_streams.h"
#include "codecs/ish/batch.h"
#include "codecs/ish/encode_lanes.h"

namespace quorvex6::backend::codecs::ish::test {
namespace {

using codecs::test::MemorySink;
using codecs::test::MemorySource;

// Enough for five batches of the variant with the most payload a batch.
constexpr std::size_t kSize = 5 * Batch::kBlocks * 70 * 70;

Bytes EncodeInLanes(const FileInfo& info, const Bytes& data, bool two_lanes) {
    const Layout& l = LayoutOf(info.variant);
    MemorySource in(data, 5000);
    MemorySink out;
    TextOut text(out, UINT64_MAX, info);
    Payload payload(in, info.size);
    EncodeWork work{l, info.variant, payload, text,
                    (std::uint64_t{info.size} + 2 + l.payload() - 1) / l.payload()};
    EXPECT_TRUE(EncodeBlocks(work, two_lanes));
    EXPECT_TRUE(text.finish());
    return out.bytes;
}

TEST(EncodeLanes, TwoLanesWriteTheTextOneLaneWrites) {
    const Bytes data = random_bytes(kSize, 21);
    for (Variant v : kVariants) {
        SCOPED_TRACE(LayoutOf(v).name);
        const FileInfo info = info_for("lanes.bin", data.size(), v);
        EXPECT_TRUE(EncodeInLanes(info, data, true) == EncodeInLanes(info, data, false));
    }
}

// Gives its data until `fail_at` bytes were read, then fails or throws.
class FailingSource final : public Source {
  public:
    FailingSource(const Bytes& data, std::size_t fail_at, bool throws)
        : data_(data), fail_at_(fail_at), throws_(throws) {}
    std::ptrdiff_t read(std::uint8_t* out, std::size_t size) override {
        if (pos_ >= fail_at_) {
            if (throws_) throw std::runtime_error("source");
            return -1;
        }
        std::size_t n = std::min({size, fail_at_ - pos_, data_.size() - pos_});
        std::memcpy(out, data_.data() + pos_, n);
        pos_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    const Bytes& data_;
    std::size_t fail_at_;
    bool throws_;
    std::size_t pos_ = 0;
};

// Takes `fail_at` bytes, then fails or throws.
class FailingSink final : public Sink {
  public:
    FailingSink(std::size_t fail_at, bool throws) : fail_at_(fail_at), throws_(throws) {}
    bool write(const std::uint8_t*, std::size_t size) override {
        if (taken_ + size > fail_at_) {
            if (throws_) throw std::runtime_error("sink");
            return false;
        }
        taken_ += size;
        return true;
    }

  private:
    std::size_t fail_at_;
    bool throws_;
    std::size_t taken_ = 0;
};

TEST(EncodeLanes, AFailureInEitherLaneEndsTheEncoding) {
    const Bytes data = random_bytes(kSize, 22);
    const std::size_t batch_bytes = Batch::kBlocks * 60 * 60;  // JIS7
    struct Case {
        const char* what;
        std::size_t source_fails_at = SIZE_MAX;
        std::size_t sink_fails_at = SIZE_MAX;
        bool throws = false;
        Status status = Status::kOk;
    };
    const Case cases[] = {
        {.what = "read in the first batch", .source_fails_at = 1000, .status = Status::kReadFailed},
        {.what = "read in the second lane's batch",
         .source_fails_at = batch_bytes + 1000,
         .status = Status::kReadFailed},
        {.what = "read in a later batch",
         .source_fails_at = 3 * batch_bytes + 7,
         .status = Status::kReadFailed},
        {.what = "write of the first batch", .sink_fails_at = 1000, .status = Status::kWriteFailed},
        {.what = "write in a later batch",
         .sink_fails_at = 4 * batch_bytes,
         .status = Status::kWriteFailed},
        {.what = "read throws in the second lane",
         .source_fails_at = batch_bytes + 1000,
         .throws = true},
        {.what = "read throws in a later batch",
         .source_fails_at = 2 * batch_bytes,
         .throws = true},
        {.what = "write throws in a later batch", .sink_fails_at = 3 * batch_bytes, .throws = true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FailingSource in(data, c.source_fails_at, c.throws && c.source_fails_at != SIZE_MAX);
        FailingSink out(c.sink_fails_at, c.throws && c.sink_fails_at != SIZE_MAX);
        auto encoder = MakeEncoder(info_for("fail.bin", data.size(), Variant::kJis7));
        if (c.throws) {
            EXPECT_THROW(encoder->encode(in, out, UINT64_MAX), std::runtime_error);
        } else {
            EXPECT_EQ(encoder->encode(in, out, UINT64_MAX), c.status);
        }
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs::ish::test
