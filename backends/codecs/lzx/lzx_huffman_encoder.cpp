#include "codecs/lzx/lzx_huffman_encoder.h"

#include <algorithm>
#include <array>
#include <vector>

#include "codecs/lzx/lzx_constants.h"

namespace quorvex6::backend::codecs::lzx {

namespace {

// Depths of the Huffman tree of `counts` (all used), by merging two sorted queues.
unsigned HuffmanDepths(std::vector<std::uint64_t>& weight, std::vector<std::uint16_t>& order,
                       std::span<std::uint8_t> lengths) {
    const std::size_t n = order.size();
    std::sort(order.begin(), order.end(), [&](std::uint16_t a, std::uint16_t b) {
        return weight[a] != weight[b] ? weight[a] < weight[b] : a < b;
    });
    // Leaves are 0..n-1 in `order`; inner nodes n.. are made in rising weight.
    std::vector<std::uint64_t> w(2 * n);
    std::vector<std::uint32_t> parent(2 * n, 0);
    for (std::size_t i = 0; i < n; ++i) w[i] = weight[order[i]];
    std::size_t leaf = 0, inner = n, made = n;
    auto take = [&]() {
        if (leaf < n && (inner == made || w[leaf] <= w[inner])) return leaf++;
        return inner++;
    };
    while (made < 2 * n - 1) {
        std::size_t a = take(), b = take();
        w[made] = w[a] + w[b];
        parent[a] = parent[b] = static_cast<std::uint32_t>(made);
        ++made;
    }
    std::vector<std::uint8_t> depth(2 * n, 0);
    unsigned deepest = 0;
    for (std::size_t i = 2 * n - 2; i-- > 0;) {
        depth[i] = static_cast<std::uint8_t>(std::min(255, depth[parent[i]] + 1));
        if (i < n) {
            lengths[order[i]] = depth[i];
            deepest = std::max<unsigned>(deepest, depth[i]);
        }
    }
    return deepest;
}

}  // namespace

void BuildLengths(std::span<const std::uint32_t> counts, unsigned limit,
                  std::span<std::uint8_t> lengths) {
    std::fill(lengths.begin(), lengths.end(), 0);
    std::vector<std::uint16_t> used;
    for (std::size_t s = 0; s < counts.size(); ++s)
        if (counts[s] != 0) used.push_back(static_cast<std::uint16_t>(s));
    if (used.empty()) return;
    if (used.size() == 1) {
        lengths[used[0]] = 1;
        lengths[used[0] == 0 ? 1 : 0] = 1;
        return;
    }
    std::vector<std::uint64_t> weight(counts.begin(), counts.end());
    // Too deep a tree is flattened by evening out the counts until it fits.
    while (HuffmanDepths(weight, used, lengths) > limit)
        for (std::uint16_t s : used) weight[s] = (weight[s] >> 1) | 1;
}

void AssignCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes) {
    std::array<std::uint32_t, kMaxCodeLength + 2> count{}, next{};
    for (std::uint8_t length : lengths) ++count[length];
    count[0] = 0;
    std::uint32_t code = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }
    for (std::size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s] != 0) codes[s] = static_cast<std::uint16_t>(next[lengths[s]]++);
}

}  // namespace quorvex6::backend::codecs::lzx
