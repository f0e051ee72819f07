#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstring>

#include "codecs/deflate/deflate_blocks.h"
#include "codecs/mszip/mszip.h"

namespace quorvex6::backend::codecs::mszip {

BlockDecoder::BlockDecoder() : state_(std::make_unique<inflate_state>()) {
    isal_inflate_init(state_.get());
}

BlockDecoder::~BlockDecoder() = default;

Status BlockDecoder::Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    if (in.size() < sizeof kSignature || std::memcmp(in.data(), kSignature, sizeof kSignature) != 0)
        return Status::kCorrupt;
    if (out.size() > kBlockLimit) return Status::kCorrupt;
    // ISA-L decodes with codes that zlib and the CAB readers refuse, so a crafted block would
    // read differently here than elsewhere.
    if (!deflate::CodeSetsAccepted(in.data() + sizeof kSignature, in.size() - sizeof kSignature))
        return Status::kCorrupt;
    inflate_state& state = *state_;
    isal_inflate_reset(&state);
    if (!history_.empty() &&
        isal_inflate_set_dict(&state, history_.data(),
                              static_cast<std::uint32_t>(history_.size())) != ISAL_DECOMP_OK)
        return Status::kCorrupt;
    state.next_in = const_cast<std::uint8_t*>(in.data() + sizeof kSignature);
    state.avail_in = static_cast<std::uint32_t>(in.size() - sizeof kSignature);
    state.next_out = out.data();
    state.avail_out = static_cast<std::uint32_t>(out.size());
    if (isal_inflate(&state) != ISAL_DECOMP_OK) return Status::kCorrupt;
    if (state.block_state != ISAL_BLOCK_FINISH) {
        if (state.avail_out != 0) return Status::kTruncated;
        // A full output may still be followed by the stream's end, or by more data than the
        // block declares.
        std::uint8_t beyond[1];
        state.next_out = beyond;
        state.avail_out = sizeof beyond;
        if (isal_inflate(&state) != ISAL_DECOMP_OK || state.block_state != ISAL_BLOCK_FINISH ||
            state.avail_out == 0)
            return Status::kCorrupt;
    }
    if (state.total_out != out.size()) return Status::kCorrupt;
    // The window is the last 32 KiB of output, which a short block does not fill alone.
    std::size_t keep = std::min(history_.size(), kBlockLimit - out.size());
    history_.erase(history_.begin(), history_.end() - static_cast<std::ptrdiff_t>(keep));
    history_.insert(history_.end(), out.begin(), out.end());
    return Status::kOk;
}

}  // namespace quorvex6::backend::codecs::mszip
