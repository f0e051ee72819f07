#include <bzlib.h>

#include <algorithm>
#include <vector>

#include "codecs/bzip2/bzip2.h"

namespace quorvex6::backend::codecs::bzip2 {

namespace {

constexpr std::size_t kChunk = 256 << 10;

// One bzip2 stream, or with `many` every stream up to the end of the input (as parallel bzip2
// tools write them); more than `limit` bytes out is corrupt. Decodes straight into the sink's
// room where it has one.
Status DecodeStreams(Source& in, std::uint64_t packed_size, std::uint64_t limit, bool many,
                     Sink& out, std::uint64_t& produced) {
    std::vector<char> input(kChunk), output;
    std::uint64_t left_in = packed_size;
    char* next = input.data();
    unsigned avail = 0;
    for (;;) {
        bz_stream z{};
        if (BZ2_bzDecompressInit(&z, 0, 0) != BZ_OK) return Status::kCorrupt;
        z.next_in = next;
        z.avail_in = avail;
        Status status = Status::kOk;
        int rc = BZ_OK;
        while (rc != BZ_STREAM_END) {
            if (z.avail_in == 0) {
                if (left_in == 0) {
                    status = Status::kTruncated;
                    break;
                }
                std::ptrdiff_t n = in.read(reinterpret_cast<std::uint8_t*>(input.data()),
                                           std::min<std::uint64_t>(kChunk, left_in));
                if (n <= 0) {
                    status = n < 0 ? Status::kReadFailed : Status::kTruncated;
                    break;
                }
                left_in -= static_cast<std::uint64_t>(n);
                z.next_in = input.data();
                z.avail_in = static_cast<unsigned>(n);
            }
            std::uint8_t* room = out.room(kChunk);
            if (room == nullptr) output.resize(kChunk);
            z.next_out = room != nullptr ? reinterpret_cast<char*>(room) : output.data();
            z.avail_out = static_cast<unsigned>(kChunk);
            rc = BZ2_bzDecompress(&z);
            if (rc != BZ_OK && rc != BZ_STREAM_END) {
                status = Status::kCorrupt;
                break;
            }
            std::size_t n = kChunk - z.avail_out;
            produced += n;
            if (produced > limit) {
                status = Status::kCorrupt;
                break;
            }
            bool written =
                n == 0 ||
                (room != nullptr ? out.commit(n)
                                 : out.write(reinterpret_cast<std::uint8_t*>(output.data()), n));
            if (!written) {
                status = Status::kWriteFailed;
                break;
            }
        }
        next = z.next_in;
        avail = z.avail_in;
        BZ2_bzDecompressEnd(&z);
        if (status != Status::kOk || !many) return status;
        if (avail == 0) {  // another stream follows unless the input ends here
            if (left_in == 0) return Status::kOk;
            std::ptrdiff_t n = in.read(reinterpret_cast<std::uint8_t*>(input.data()),
                                       std::min<std::uint64_t>(kChunk, left_in));
            if (n <= 0) return n < 0 ? Status::kReadFailed : Status::kOk;
            left_in -= static_cast<std::uint64_t>(n);
            next = input.data();
            avail = static_cast<unsigned>(n);
        }
    }
}

class Bzip2Decoder final : public Decoder {
  public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        std::uint64_t produced = 0;
        Status status = DecodeStreams(in, packed_size, unpacked_size, false, out, produced);
        if (status == Status::kOk && produced != unpacked_size) status = Status::kCorrupt;
        return status;
    }
};

class Bzip2StreamDecoder final : public Decoder {
  public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t, Sink& out) override {
        std::uint64_t produced = 0;
        return DecodeStreams(in, packed_size, UINT64_MAX, true, out, produced);
    }
};

}  // namespace

std::unique_ptr<Decoder> MakeDecoder() { return std::make_unique<Bzip2Decoder>(); }
std::unique_ptr<Decoder> MakeStreamDecoder() { return std::make_unique<Bzip2StreamDecoder>(); }

}  // namespace quorvex6::backend::codecs::bzip2
