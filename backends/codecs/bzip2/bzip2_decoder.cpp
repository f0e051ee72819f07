#include <bzlib.h>

#include <algorithm>
#include <vector>

#include "codecs/bzip2/bzip2.h"

namespace quorvex6::codecs::bzip2 {

namespace {

constexpr std::size_t kChunk = 256 << 10;

class Bzip2Decoder final : public Decoder {
public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size, Sink& out) override {
        bz_stream z{};
        if (BZ2_bzDecompressInit(&z, 0, 0) != BZ_OK) return Status::corrupt;
        std::vector<char> input(kChunk), output(kChunk);
        std::uint64_t left_in = packed_size, produced = 0;
        Status status = Status::ok;
        int rc = BZ_OK;
        while (rc != BZ_STREAM_END) {
            if (z.avail_in == 0) {
                if (left_in == 0) { status = Status::truncated; break; }
                std::ptrdiff_t n = in.read(reinterpret_cast<std::uint8_t*>(input.data()), std::min<std::uint64_t>(kChunk, left_in));
                if (n <= 0) { status = n < 0 ? Status::read_failed : Status::truncated; break; }
                left_in -= static_cast<std::uint64_t>(n);
                z.next_in = input.data();
                z.avail_in = static_cast<unsigned>(n);
            }
            z.next_out = output.data();
            z.avail_out = static_cast<unsigned>(output.size());
            rc = BZ2_bzDecompress(&z);
            if (rc != BZ_OK && rc != BZ_STREAM_END) { status = Status::corrupt; break; }
            std::size_t n = output.size() - z.avail_out;
            produced += n;
            if (produced > unpacked_size) { status = Status::corrupt; break; }
            if (n > 0 && !out.write(reinterpret_cast<std::uint8_t*>(output.data()), n)) { status = Status::write_failed; break; }
        }
        BZ2_bzDecompressEnd(&z);
        if (status == Status::ok && produced != unpacked_size) status = Status::corrupt;
        return status;
    }
};

}  // namespace

std::unique_ptr<Decoder> make_decoder() { return std::make_unique<Bzip2Decoder>(); }

}  // namespace quorvex6::codecs::bzip2
