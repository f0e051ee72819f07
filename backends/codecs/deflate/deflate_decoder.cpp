#include <libdeflate.h>
#include <zlib.h>

#include <vector>

#include "codecs/deflate/deflate.h"

namespace quorvex6::backend::codecs::deflate {

namespace {

constexpr std::size_t kChunk = 256 << 10;

class DeflateDecoder final : public Decoder {
  public:
    ~DeflateDecoder() override {
        if (decompressor_) libdeflate_free_decompressor(decompressor_);
    }

    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        if (unpacked_size <= kWholeBufferLimit && packed_size <= kWholeBufferLimit)
            return whole(in, packed_size, unpacked_size, out);
        return streaming(in, packed_size, unpacked_size, out);
    }

  private:
    Status whole(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size, Sink& out) {
        packed_.resize(packed_size);
        std::size_t got = 0;
        while (got < packed_size) {
            std::ptrdiff_t n = in.read(packed_.data() + got, packed_size - got);
            if (n < 0) return Status::kReadFailed;
            if (n == 0) return Status::kTruncated;
            got += static_cast<std::size_t>(n);
        }
        if (!decompressor_) decompressor_ = libdeflate_alloc_decompressor();
        unpacked_.resize(unpacked_size + 1);  // one spare byte tells "more than declared"
        std::size_t produced = 0;
        libdeflate_result r =
            libdeflate_deflate_decompress(decompressor_, packed_.data(), packed_size,
                                          unpacked_.data(), unpacked_.size(), &produced);
        if (r != LIBDEFLATE_SUCCESS || produced != unpacked_size) return Status::kCorrupt;
        return out.write(unpacked_.data(), produced) ? Status::kOk : Status::kWriteFailed;
    }

    Status streaming(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                     Sink& out) {
        z_stream z{};
        if (inflateInit2(&z, -15) != Z_OK) return Status::kCorrupt;
        std::vector<std::uint8_t> input(kChunk), output(kChunk);
        std::uint64_t left_in = packed_size, produced = 0;
        Status status = Status::kOk;
        int rc = Z_OK;
        while (rc != Z_STREAM_END) {
            if (z.avail_in == 0) {
                if (left_in == 0) {
                    status = Status::kTruncated;
                    break;
                }
                std::ptrdiff_t n = in.read(input.data(), std::min<std::uint64_t>(kChunk, left_in));
                if (n < 0) {
                    status = Status::kReadFailed;
                    break;
                }
                if (n == 0) {
                    status = Status::kTruncated;
                    break;
                }
                left_in -= static_cast<std::uint64_t>(n);
                z.next_in = input.data();
                z.avail_in = static_cast<uInt>(n);
            }
            z.next_out = output.data();
            z.avail_out = static_cast<uInt>(output.size());
            rc = inflate(&z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
                status = Status::kCorrupt;
                break;
            }
            std::size_t n = output.size() - z.avail_out;
            produced += n;
            if (produced > unpacked_size) {
                status = Status::kCorrupt;
                break;
            }
            if (n > 0 && !out.write(output.data(), n)) {
                status = Status::kWriteFailed;
                break;
            }
        }
        inflateEnd(&z);
        if (status == Status::kOk && produced != unpacked_size) status = Status::kCorrupt;
        return status;
    }

    libdeflate_decompressor* decompressor_ = nullptr;
    std::vector<std::uint8_t> packed_, unpacked_;
};

}  // namespace

std::unique_ptr<Decoder> MakeDecoder() { return std::make_unique<DeflateDecoder>(); }

}  // namespace quorvex6::backend::codecs::deflate
