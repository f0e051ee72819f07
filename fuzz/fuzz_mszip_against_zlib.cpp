// MSZIP blocks decoded by our decoder and by zlib's inflate with the same history must both
// decode, to the same bytes, or both fail (where the damage lies in a stream's last bits, one may
// call it truncated and the other corrupt). Input as for fuzz_mszip_decoder: per block
// a 16-bit decoded size, a 16-bit packed size, then the packed bytes.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "codecs/method_tables.h"
#include "codecs/mszip/mszip.h"

using namespace quorvex6::backend::codecs;

namespace {

class ZlibBlocks {
  public:
    ZlibBlocks() { inflateInit2(&stream_, -MAX_WBITS); }
    ~ZlibBlocks() { inflateEnd(&stream_); }
    void Reset() { history_.clear(); }

    Status Decode(std::span<const uint8_t> in, std::span<uint8_t> out) {
        if (in.size() < 2 || std::memcmp(in.data(), mszip::kSignature, 2) != 0 ||
            out.size() > mszip::kBlockLimit)
            return Status::kCorrupt;
        inflateReset(&stream_);
        if (!history_.empty())
            inflateSetDictionary(&stream_, history_.data(), static_cast<uInt>(history_.size()));
        stream_.next_in = const_cast<Bytef*>(in.data() + 2);
        stream_.avail_in = static_cast<uInt>(in.size() - 2);
        // zlib refuses a null output even when nothing is to be written, as an empty block's is.
        std::uint8_t none[1];
        stream_.next_out = out.empty() ? none : out.data();
        stream_.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&stream_, Z_FINISH);
        if (rc != Z_STREAM_END)
            return rc == Z_BUF_ERROR && stream_.avail_in == 0 && stream_.avail_out != 0
                       ? Status::kTruncated
                       : Status::kCorrupt;
        if (stream_.avail_out != 0) return Status::kCorrupt;
        history_.insert(history_.end(), out.begin(), out.end());
        if (history_.size() > mszip::kBlockLimit)
            history_.erase(history_.begin(), history_.end() - mszip::kBlockLimit);
        return Status::kOk;
    }

  private:
    z_stream stream_{};
    std::vector<uint8_t> history_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto ours = FindFrameMethod(FrameMethods(), "mszip")->make_decoder({15});
    ZlibBlocks zlib;
    std::vector<uint8_t> out, expected;
    while (size >= 4) {
        size_t unpacked = (data[0] | data[1] << 8) % (mszip::kBlockLimit + 2);
        size_t packed = data[2] | data[3] << 8;
        data += 4;
        size -= 4;
        packed = std::min(packed, size);
        out.assign(unpacked, 0);
        expected.assign(unpacked, 0);
        const bool ok = ours->Decode(std::span(data, packed), out) == Status::kOk;
        if (ok != (zlib.Decode(std::span(data, packed), expected) == Status::kOk)) std::abort();
        if (ok && out != expected) std::abort();
        if (!ok) {
            ours->Reset();
            zlib.Reset();
        }
        data += packed;
        size -= packed;
    }
    return 0;
}
