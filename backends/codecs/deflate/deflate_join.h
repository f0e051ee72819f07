// Joining raw deflate streams that were compressed apart (on several threads, with libdeflate,
// which only makes complete streams): each part but the last loses the "final" mark of its last
// block and gains an empty stored block after it, which brings the stream to a byte boundary
// where the next part's first block can start. Finding that last block means walking every
// block's symbols, as an inflater would, without writing anything out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvex6::backend::codecs::deflate {

struct StreamEnd {
    std::size_t last_block_bit = 0;  // where the final block's header starts
    std::size_t end_bit = 0;         // just after its end-of-block code
};

// nullopt when `data` is not one complete deflate stream.
std::optional<StreamEnd> FindStreamEnd(const std::uint8_t* data, std::size_t size);

// Makes a complete stream continuable in place; false when it is not a complete stream.
bool MakeContinuable(std::vector<std::uint8_t>& stream);

}  // namespace quorvex6::backend::codecs::deflate
