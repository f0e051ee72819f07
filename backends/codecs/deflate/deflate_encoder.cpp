#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <future>
#include <new>
#include <vector>

#include "codecs/deflate/deflate.h"

namespace quorvex6::codecs::deflate {

namespace {

constexpr std::size_t kParallelChunk = kWholeBufferLimit / 2;
constexpr std::size_t kDictionary = 32 << 10;


// One chunk of a stream that continues after it: primed with the bytes before it, ended on a
// byte boundary (sync flush) unless it is the last.
class ChunkCompressor {
public:
    explicit ChunkCompressor(int level) {
        deflateInit2(&z_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    }
    ~ChunkCompressor() { deflateEnd(&z_); }
    ChunkCompressor(const ChunkCompressor&) = delete;
    ChunkCompressor& operator=(const ChunkCompressor&) = delete;

    void run(const std::uint8_t* dict, std::size_t dict_size, const std::uint8_t* data, std::size_t size, bool last,
             std::vector<std::uint8_t>& out) {
        deflateReset(&z_);
        if (dict_size > 0) deflateSetDictionary(&z_, dict, static_cast<uInt>(dict_size));
        out.resize(deflateBound(&z_, size) + 16);
        z_.next_in = const_cast<std::uint8_t*>(data);
        z_.avail_in = static_cast<uInt>(size);
        z_.next_out = out.data();
        z_.avail_out = static_cast<uInt>(out.size());
        ::deflate(&z_, last ? Z_FINISH : Z_SYNC_FLUSH);
        out.resize(out.size() - z_.avail_out);
    }

private:
    z_stream z_{};
};

class DeflateEncoder final : public Encoder {
public:
    explicit DeflateEncoder(int level) : level_(level), whole_(level) {}

    Status encode(Source& in, Sink& out, std::uint64_t limit) override {
        // Two chunk buffers plus the 32 KiB before the first of them, kept across calls: an
        // encoder packs many small members in a row.
        std::vector<std::uint8_t>& buffer = buffer_;
        if (buffer.empty()) buffer.resize(kDictionary + 2 * kParallelChunk);
        std::size_t have = 0;
        Status status = fill(in, buffer.data() + kDictionary, 2 * kParallelChunk, have);
        if (status != Status::ok) return status;
        bool at_end = have < 2 * kParallelChunk;
        if (at_end) {
            whole_.compress(buffer.data() + kDictionary, have, packed_);
            if (packed_.size() > limit) return Status::expanded;
            return out.write(packed_.data(), packed_.size()) ? Status::ok : Status::write_failed;
        }
        return parallel(in, out, limit, buffer, have);
    }

private:
    static Status fill(Source& in, std::uint8_t* data, std::size_t want, std::size_t& have) {
        have = 0;
        while (have < want) {
            std::ptrdiff_t n = in.read(data + have, want - have);
            if (n < 0) return Status::read_failed;
            if (n == 0) break;
            have += static_cast<std::size_t>(n);
        }
        return Status::ok;
    }

    Status parallel(Source& in, Sink& out, std::uint64_t limit, std::vector<std::uint8_t>& buffer, std::size_t have) {
        ChunkCompressor first(level_), second(level_);
        std::vector<std::uint8_t> out_a, out_b;
        std::size_t dict = 0;
        std::uint64_t written = 0;
        std::uint8_t* data = buffer.data() + kDictionary;
        for (;;) {
            // Read ahead one byte's worth to learn whether these two chunks end the stream.
            std::size_t next_have = 0;
            std::vector<std::uint8_t> peek(1);
            Status status = fill(in, peek.data(), 1, next_have);
            if (status != Status::ok) return status;
            bool last = next_have == 0;
            std::size_t size_a = std::min(have, kParallelChunk), size_b = have - size_a;
            auto job = std::async(std::launch::async, [&] {
                first.run(data - dict, dict, data, size_a, last && size_b == 0, out_a);
            });
            if (size_b > 0) second.run(data + size_a - kDictionary, kDictionary, data + size_a, size_b, last, out_b);
            else out_b.clear();
            job.get();
            written += out_a.size() + out_b.size();
            if (written > limit) return Status::expanded;
            if (!out.write(out_a.data(), out_a.size()) || !out.write(out_b.data(), out_b.size())) return Status::write_failed;
            if (last) return Status::ok;
            std::copy(data + have - kDictionary, data + have, buffer.data());
            dict = kDictionary;
            data[0] = peek[0];
            status = fill(in, data + 1, 2 * kParallelChunk - 1, have);
            if (status != Status::ok) return status;
            ++have;
        }
    }

    int level_;
    BufferCompressor whole_;
    std::vector<std::uint8_t> buffer_, packed_;
};

}  // namespace

std::unique_ptr<Encoder> make_encoder(int level) { return std::make_unique<DeflateEncoder>(level); }

BufferCompressor::BufferCompressor(int level) : handle_(libdeflate_alloc_compressor(level)) {
    if (handle_ == nullptr) throw std::bad_alloc();
}
BufferCompressor::~BufferCompressor() { libdeflate_free_compressor(handle_); }

void BufferCompressor::compress(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    out.resize(libdeflate_deflate_compress_bound(handle_, size));
    out.resize(libdeflate_deflate_compress(handle_, data, size, out.data(), out.size()));
}

}  // namespace quorvex6::codecs::deflate
