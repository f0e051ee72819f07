// lh1's adaptive Huffman code: a tree over 314 symbols whose counts start at 1 and grow with
// every symbol coded, kept in sibling order so that an update only swaps nodes; when the root
// count reaches 0x8000 all counts are halved and the tree rebuilt. Encoder and decoder run the
// same updates, so they agree on the code without sending it.
#pragma once

#include <array>
#include <cstdint>

#include "codecs/lh/methods.h"

namespace quorvex6::backend::codecs::lh {

class AdaptiveHuffman {
  public:
    static constexpr int kSymbols = kLh1Codes;
    static constexpr int kNodes = 2 * kSymbols - 1;
    static constexpr int kRoot = kNodes - 1;

    AdaptiveHuffman();

    // Decoding walks from the root: child(node) is the 0 branch, child(node) + 1 the 1 branch;
    // a child at kNodes or above is the leaf of symbol child - kNodes.
    int root_child() const { return son_[kRoot]; }
    int child(int node) const { return son_[static_cast<std::size_t>(node)]; }

    // The code of `symbol`, bits in the low `length` bits, first bit most significant.
    // Codes exceed 32 bits only in degenerate trees; `length` then says so and the caller
    // writes the bits in parts from `path`.
    int code(int symbol, std::array<std::uint8_t, kNodes>& path) const;

    void update(int symbol);

  private:
    void rebuild();

    std::array<std::uint32_t, kNodes + 1> freq_{};
    std::array<int, kNodes + kSymbols> parent_{};
    std::array<int, kNodes> son_{};
};

}  // namespace quorvex6::backend::codecs::lh
