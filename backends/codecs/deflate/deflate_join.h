// Joining raw deflate streams that were compressed apart (on several threads, with libdeflate,
// which only makes complete streams): each part but the last loses the "final" mark of its last
// block and gains an empty stored block after it, which brings the stream to a byte boundary
// where the next part's first block can start. Finding that last block means walking every
// block's symbols, as an inflater would, without writing anything out.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/deflate/deflate_blocks.h"

namespace quorvex6::backend::codecs::deflate {

// Makes a complete stream continuable in place; false when it is not a complete stream.
bool MakeContinuable(std::vector<std::uint8_t>& stream);

}  // namespace quorvex6::backend::codecs::deflate
