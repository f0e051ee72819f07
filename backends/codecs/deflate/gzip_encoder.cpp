#include <libdeflate.h>

#include <future>
#include <new>
#include <vector>

#include "codecs/deflate/gzip.h"

namespace quorvex6::backend::codecs::deflate {

namespace {

class GzipCompressor {
  public:
    explicit GzipCompressor(int level) : handle_(libdeflate_alloc_compressor(level)) {
        if (handle_ == nullptr) throw std::bad_alloc();
    }
    ~GzipCompressor() { libdeflate_free_compressor(handle_); }
    GzipCompressor(const GzipCompressor&) = delete;
    GzipCompressor& operator=(const GzipCompressor&) = delete;

    void run(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
        out.resize(libdeflate_gzip_compress_bound(handle_, size));
        out.resize(libdeflate_gzip_compress(handle_, data, size, out.data(), out.size()));
    }

  private:
    libdeflate_compressor* handle_;
};

class GzipEncoder final : public Encoder {
  public:
    explicit GzipEncoder(int level) : first_(level), second_(level) {}

    Status encode(Source& in, Sink& out, std::uint64_t limit) override {
        std::vector<std::uint8_t> buffer(2 * kGzipMember), out_a, out_b;
        std::uint64_t written = 0;
        bool first_round = true;
        for (;;) {
            std::size_t have = 0;
            while (have < buffer.size()) {
                std::ptrdiff_t n = in.read(buffer.data() + have, buffer.size() - have);
                if (n < 0) return Status::kReadFailed;
                if (n == 0) break;
                have += static_cast<std::size_t>(n);
            }
            if (have == 0 && !first_round) return Status::kOk;
            first_round = false;
            std::size_t size_a = std::min(have, kGzipMember), size_b = have - size_a;
            auto job =
                std::async(std::launch::async, [&] { first_.run(buffer.data(), size_a, out_a); });
            if (size_b > 0)
                second_.run(buffer.data() + size_a, size_b, out_b);
            else
                out_b.clear();
            job.get();
            written += out_a.size() + out_b.size();
            if (written > limit) return Status::kExpanded;
            if (!out.write(out_a.data(), out_a.size()) || !out.write(out_b.data(), out_b.size()))
                return Status::kWriteFailed;
            if (have < buffer.size()) return Status::kOk;
        }
    }

  private:
    GzipCompressor first_, second_;
};

}  // namespace

std::unique_ptr<Encoder> MakeGzipEncoder(int level) { return std::make_unique<GzipEncoder>(level); }

}  // namespace quorvex6::backend::codecs::deflate
