#include <zlib.h>

#include <vector>

#include "codecs/deflate/gzip.h"

namespace quorvex6::codecs::deflate {

namespace {

constexpr std::size_t kChunk = 256 << 10;

class GzipDecoder final : public Decoder {
public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t, Sink& out) override {
        z_stream z{};
        if (inflateInit2(&z, 15 + 16) != Z_OK) return Status::corrupt;
        std::vector<std::uint8_t> input(kChunk), output(kChunk);
        std::uint64_t left = packed_size;
        bool in_member = false;
        Status status = Status::ok;
        for (;;) {
            if (z.avail_in == 0) {
                std::ptrdiff_t n = left == 0 ? 0 : in.read(input.data(), std::min<std::uint64_t>(kChunk, left));
                if (n < 0) { status = Status::read_failed; break; }
                if (n == 0) {
                    if (in_member) status = Status::truncated;
                    break;
                }
                left -= static_cast<std::uint64_t>(n);
                z.next_in = input.data();
                z.avail_in = static_cast<uInt>(n);
            }
            in_member = true;
            z.next_out = output.data();
            z.avail_out = static_cast<uInt>(output.size());
            int rc = inflate(&z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) { status = Status::corrupt; break; }
            std::size_t n = output.size() - z.avail_out;
            if (n > 0 && !out.write(output.data(), n)) { status = Status::write_failed; break; }
            if (rc == Z_STREAM_END) {
                // Another member may follow; trailing zero padding ends the stream.
                in_member = false;
                inflateReset(&z);
                while (z.avail_in > 0 && *z.next_in == 0) { ++z.next_in; --z.avail_in; }
            }
        }
        inflateEnd(&z);
        return status;
    }
};

}  // namespace

std::unique_ptr<Decoder> make_gzip_decoder() { return std::make_unique<GzipDecoder>(); }

}  // namespace quorvex6::codecs::deflate
