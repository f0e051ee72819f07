// A raw deflate stream's blocks walked as an inflater reads them, writing nothing: where the
// final block lies, and whether every Huffman code is one zlib would build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace quorvex6::backend::codecs::deflate {

struct StreamEnd {
    std::size_t last_block_bit = 0;  // where the final block's header starts
    std::size_t end_bit = 0;         // just after its end-of-block code
};

// nullopt when `data` is not one complete deflate stream.
std::optional<StreamEnd> FindStreamEnd(const std::uint8_t* data, std::size_t size);

// False when a block's code is over-subscribed, or incomplete where zlib refuses it. Other
// damage is left to the inflater, which names it better (cut short or corrupt). Reads no
// further than the final block's header, so a stream of one block costs only that header.
bool CodeSetsAccepted(const std::uint8_t* data, std::size_t size);

}  // namespace quorvex6::backend::codecs::deflate
