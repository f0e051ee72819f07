#include <libdeflate.h>

#include <algorithm>
#include <future>
#include <new>
#include <vector>

#include "codecs/deflate/deflate.h"
#include "codecs/deflate/deflate_join.h"

namespace quorvex6::backend::codecs::deflate {

namespace {

constexpr std::size_t kParallelChunk = kWholeBufferLimit / 2;

class DeflateEncoder final : public Encoder {
  public:
    explicit DeflateEncoder(int level) : whole_(level), second_(level) {}

    Status encode(Source& in, Sink& out, std::uint64_t limit) override {
        // Two chunk buffers, kept across calls: an encoder packs many small members in a row.
        if (buffer_.empty()) buffer_.resize(2 * kParallelChunk);
        std::size_t have = 0;
        Status status = fill(in, buffer_.data(), 2 * kParallelChunk, have);
        if (status != Status::kOk) return status;
        if (have < 2 * kParallelChunk) {
            whole_.compress(buffer_.data(), have, out_a_);
            if (out_a_.size() > limit) return Status::kExpanded;
            return out.write(out_a_.data(), out_a_.size()) ? Status::kOk : Status::kWriteFailed;
        }
        return parallel(in, out, limit, have);
    }

  private:
    static Status fill(Source& in, std::uint8_t* data, std::size_t want, std::size_t& have) {
        have = 0;
        while (have < want) {
            std::ptrdiff_t n = in.read(data + have, want - have);
            if (n < 0) return Status::kReadFailed;
            if (n == 0) break;
            have += static_cast<std::size_t>(n);
        }
        return Status::kOk;
    }

    // Two chunks at a time, one per thread, each a stream of its own made continuable unless it
    // ends the member. Chunks do not see the bytes before them: at 2 MiB that costs less than
    // libdeflate gains over a streaming compressor.
    Status parallel(Source& in, Sink& out, std::uint64_t limit, std::size_t have) {
        std::uint64_t written = 0;
        std::uint8_t* data = buffer_.data();
        for (;;) {
            // Read ahead one byte to learn whether these two chunks end the stream.
            std::uint8_t peek = 0;
            std::size_t next_have = 0;
            Status status = fill(in, &peek, 1, next_have);
            if (status != Status::kOk) return status;
            bool last = next_have == 0;
            std::size_t size_a = std::min(have, kParallelChunk), size_b = have - size_a;
            bool joined_a = true, joined_b = true;
            auto job = std::async(std::launch::async, [&] {
                whole_.compress(data, size_a, out_a_);
                if (!last || size_b > 0) joined_a = MakeContinuable(out_a_);
            });
            out_b_.clear();
            if (size_b > 0) {
                second_.compress(data + size_a, size_b, out_b_);
                if (!last) joined_b = MakeContinuable(out_b_);
            }
            job.get();
            if (!joined_a || !joined_b) return Status::kCorrupt;
            written += out_a_.size() + out_b_.size();
            if (written > limit) return Status::kExpanded;
            if (!out.write(out_a_.data(), out_a_.size()) ||
                !out.write(out_b_.data(), out_b_.size()))
                return Status::kWriteFailed;
            if (last) return Status::kOk;
            data[0] = peek;
            status = fill(in, data + 1, 2 * kParallelChunk - 1, have);
            if (status != Status::kOk) return status;
            ++have;
        }
    }

    BufferCompressor whole_, second_;
    std::vector<std::uint8_t> buffer_, out_a_, out_b_;
};

}  // namespace

std::unique_ptr<Encoder> MakeEncoder(int level) { return std::make_unique<DeflateEncoder>(level); }

BufferCompressor::BufferCompressor(int level) : handle_(libdeflate_alloc_compressor(level)) {
    if (handle_ == nullptr) throw std::bad_alloc();
}
BufferCompressor::~BufferCompressor() { libdeflate_free_compressor(handle_); }

void BufferCompressor::compress(const std::uint8_t* data, std::size_t size,
                                std::vector<std::uint8_t>& out) {
    out.resize(libdeflate_deflate_compress_bound(handle_, size));
    out.resize(libdeflate_deflate_compress(handle_, data, size, out.data(), out.size()));
}

}  // namespace quorvex6::backend::codecs::deflate
