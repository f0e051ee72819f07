#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "codecs/mszip/mszip.h"

namespace quorvex6::backend::codecs::mszip {

BlockDecoder::BlockDecoder() : stream_(new z_stream{}) {
    if (inflateInit2(stream_, -MAX_WBITS) != Z_OK) {
        delete stream_;
        throw std::bad_alloc();
    }
}

BlockDecoder::~BlockDecoder() {
    inflateEnd(stream_);
    delete stream_;
}

Status BlockDecoder::Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    if (in.size() < sizeof kSignature || std::memcmp(in.data(), kSignature, sizeof kSignature) != 0)
        return Status::kCorrupt;
    if (out.size() > kBlockLimit) return Status::kCorrupt;
    if (inflateReset(stream_) != Z_OK) return Status::kCorrupt;
    if (!history_.empty() &&
        inflateSetDictionary(stream_, history_.data(), static_cast<uInt>(history_.size())) != Z_OK)
        return Status::kCorrupt;
    stream_->next_in = const_cast<Bytef*>(in.data() + sizeof kSignature);
    stream_->avail_in = static_cast<uInt>(in.size() - sizeof kSignature);
    stream_->next_out = out.data();
    stream_->avail_out = static_cast<uInt>(out.size());
    int rc = inflate(stream_, Z_FINISH);
    if (rc != Z_STREAM_END)
        return rc == Z_BUF_ERROR && stream_->avail_in == 0 && stream_->avail_out != 0
                   ? Status::kTruncated
                   : Status::kCorrupt;
    if (stream_->avail_out != 0) return Status::kCorrupt;
    // The window is the last 32 KiB of output, which a short block does not fill alone.
    std::size_t keep = std::min(history_.size(), kBlockLimit - out.size());
    history_.erase(history_.begin(), history_.end() - static_cast<std::ptrdiff_t>(keep));
    history_.insert(history_.end(), out.begin(), out.end());
    return Status::kOk;
}

}  // namespace quorvex6::backend::codecs::mszip
