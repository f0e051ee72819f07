#include <zlib.h>

#include <cstring>
#include <new>
#include <stdexcept>

#include "codecs/mszip/mszip.h"

namespace quorvex6::backend::codecs::mszip {

namespace {

// One final stored deflate block: a byte with BFINAL set, LEN and its complement.
void Store(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out) {
    const auto len = static_cast<std::uint16_t>(in.size());
    out.assign({kSignature[0], kSignature[1], 0x01, static_cast<std::uint8_t>(len),
                static_cast<std::uint8_t>(len >> 8), static_cast<std::uint8_t>(~len),
                static_cast<std::uint8_t>(~len >> 8)});
    out.insert(out.end(), in.begin(), in.end());
}

}  // namespace

BlockEncoder::BlockEncoder(int level) : stream_(new z_stream{}), tuned_(level == kDefaultLevel) {
    if (deflateInit2(stream_, tuned_ ? 6 : level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        delete stream_;
        throw std::bad_alloc();
    }
}

BlockEncoder::~BlockEncoder() {
    deflateEnd(stream_);
    delete stream_;
}

void BlockEncoder::Encode(std::span<const std::uint8_t> in,
                          std::span<const std::uint8_t> dictionary,
                          std::vector<std::uint8_t>& out) {
    if (in.size() > kBlockLimit) throw std::length_error("MSZIP block larger than 32 KiB");
    out.resize(kPackedLimit);
    out[0] = kSignature[0];
    out[1] = kSignature[1];
    deflateReset(stream_);
    // Measured on source text and on many small files: within 1 % of level 6's size in 60 % of
    // its time. Set after each reset, which restores the level's own search.
    if (tuned_) deflateTune(stream_, 4, 16, 64, 48);
    if (!dictionary.empty())
        deflateSetDictionary(stream_, dictionary.data(), static_cast<uInt>(dictionary.size()));
    stream_->next_in = const_cast<Bytef*>(in.data());
    stream_->avail_in = static_cast<uInt>(in.size());
    stream_->next_out = out.data() + sizeof kSignature;
    stream_->avail_out = static_cast<uInt>(out.size() - sizeof kSignature);
    // Out of room before the end means the block grew past the limit: store it.
    if (deflate(stream_, Z_FINISH) != Z_STREAM_END) return Store(in, out);
    out.resize(sizeof kSignature + stream_->total_out);
}

}  // namespace quorvex6::backend::codecs::mszip
