#include <lzma.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "codecs/lzma/lzma.h"

namespace quorvex6::backend::codecs::lzma {

namespace {

constexpr std::size_t kChunk = 256 << 10;
constexpr std::uint64_t kMemoryLimit = 48ull << 20;  // dictionaries above this are refused

bool read_exact(Source& in, std::uint8_t* data, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        std::ptrdiff_t n = in.read(data + got, size - got);
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

class ZipLzmaDecoder final : public Decoder {
  public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        std::uint8_t header[9];
        if (packed_size < sizeof header || !read_exact(in, header, sizeof header))
            return Status::kTruncated;
        if (header[2] != 5 || header[3] != 0) return Status::kCorrupt;
        lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
        if (lzma_properties_decode(&filters[0], nullptr, header + 4, 5) != LZMA_OK)
            return Status::kCorrupt;
        auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
        if (options->dict_size > kMemoryLimit) {
            std::free(options);
            return Status::kCorrupt;
        }
        lzma_stream z = LZMA_STREAM_INIT;
        lzma_ret init = lzma_raw_decoder(&z, filters);
        std::free(options);
        if (init != LZMA_OK) return Status::kCorrupt;
        std::vector<std::uint8_t> input(kChunk), output(kChunk);
        std::uint64_t left_in = packed_size - sizeof header, produced = 0;
        Status status = Status::kOk;
        while (produced < unpacked_size) {
            if (z.avail_in == 0 && left_in > 0) {
                std::ptrdiff_t n = in.read(input.data(), std::min<std::uint64_t>(kChunk, left_in));
                if (n <= 0) {
                    status = n < 0 ? Status::kReadFailed : Status::kTruncated;
                    break;
                }
                left_in -= static_cast<std::uint64_t>(n);
                z.next_in = input.data();
                z.avail_in = static_cast<std::size_t>(n);
            }
            z.next_out = output.data();
            z.avail_out = static_cast<std::size_t>(
                std::min<std::uint64_t>(output.size(), unpacked_size - produced));
            lzma_ret rc = lzma_code(&z, z.avail_in == 0 && left_in == 0 ? LZMA_FINISH : LZMA_RUN);
            std::size_t n = static_cast<std::size_t>(z.next_out - output.data());
            produced += n;
            if (n > 0 && !out.write(output.data(), n)) {
                status = Status::kWriteFailed;
                break;
            }
            if (rc == LZMA_STREAM_END) break;
            if (rc != LZMA_OK) {
                status = Status::kCorrupt;
                break;
            }
            if (n == 0 && z.avail_in == 0 && left_in == 0) {
                status = Status::kTruncated;
                break;
            }
        }
        lzma_end(&z);
        if (status == Status::kOk && produced != unpacked_size) status = Status::kCorrupt;
        return status;
    }
};

}  // namespace

std::unique_ptr<Decoder> make_zip_decoder() { return std::make_unique<ZipLzmaDecoder>(); }

}  // namespace quorvex6::backend::codecs::lzma
