// lh0 and lz4: the bytes as they are.
#include <vector>

#include "codecs/lh/codecs.h"

namespace quorvex6::backend::codecs::lh {

namespace {

constexpr std::size_t kChunk = 256 * 1024;

class StoredDecoder final : public Decoder {
  public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        if (packed_size < unpacked_size) return Status::kCorrupt;
        std::vector<std::uint8_t> buf(kChunk);
        std::uint64_t left = unpacked_size;
        while (left > 0) {
            std::size_t want = left < kChunk ? static_cast<std::size_t>(left) : kChunk;
            std::ptrdiff_t got = in.read(buf.data(), want);
            if (got < 0) return Status::kReadFailed;
            if (got == 0) return Status::kTruncated;
            if (!out.write(buf.data(), static_cast<std::size_t>(got))) return Status::kWriteFailed;
            left -= static_cast<std::uint64_t>(got);
        }
        return Status::kOk;
    }
};

class StoredEncoder final : public Encoder {
  public:
    Status encode(Source& in, Sink& out, std::uint64_t limit) override {
        std::vector<std::uint8_t> buf(kChunk);
        std::uint64_t total = 0;
        for (;;) {
            std::ptrdiff_t got = in.read(buf.data(), buf.size());
            if (got < 0) return Status::kReadFailed;
            if (got == 0) return Status::kOk;
            total += static_cast<std::uint64_t>(got);
            if (total > limit) return Status::kExpanded;
            if (!out.write(buf.data(), static_cast<std::size_t>(got))) return Status::kWriteFailed;
        }
    }
};

}  // namespace

std::unique_ptr<Decoder> MakeStoredDecoder() { return std::make_unique<StoredDecoder>(); }
std::unique_ptr<Encoder> MakeStoredEncoder() { return std::make_unique<StoredEncoder>(); }

}  // namespace quorvex6::backend::codecs::lh
