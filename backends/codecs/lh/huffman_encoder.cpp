#include "codecs/lh/huffman_encoder.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace quorvex6::backend::codecs::lh {

namespace {

// The largest alphabet of the LH family (literals and lengths); the work arrays live on the
// stack, as the encoder builds several codes for every block it weighs.
constexpr int kMaxSymbols = 512;

struct Node {
    std::uint64_t weight;
    int left;
    int right;
};

// Depth of every leaf in an unrestricted Huffman tree; leaves are the `n` used symbols.
void HuffmanDepths(const int* symbols, int n, const std::uint32_t* freq, int* depth) {
    std::array<Node, 2 * kMaxSymbols> nodes;
    int node_count = n;
    std::array<std::uint32_t, kMaxSymbols> leaf_weight;
    std::uint32_t heaviest = 0;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t w = freq[symbols[i]];
        nodes[static_cast<std::size_t>(i)] = {w, -1, -1};
        leaf_weight[static_cast<std::size_t>(i)] = w;
        heaviest = std::max(heaviest, w);
    }
    // Leaves by weight, ties in symbol order: a stable radix sort a byte of the weight at a
    // time, as many bytes as the heaviest has. Comparison sorts mispredict on nearly every
    // step, and a small file's block weighs mostly below 256.
    std::array<int, kMaxSymbols> order;
    std::array<int, kMaxSymbols> sorted;
    for (int i = 0; i < n; ++i) order[static_cast<std::size_t>(i)] = i;
    for (int shift = 0; shift < 32 && (shift == 0 || heaviest >> shift != 0); shift += 8) {
        std::array<int, 257> start{};
        auto digit = [&](int leaf) {
            return static_cast<std::size_t>((leaf_weight[static_cast<std::size_t>(leaf)] >> shift) &
                                            0xff);
        };
        for (int i = 0; i < n; ++i) ++start[digit(order[static_cast<std::size_t>(i)]) + 1];
        for (std::size_t d = 1; d < start.size(); ++d) start[d] += start[d - 1];
        for (int i = 0; i < n; ++i) {
            const int leaf = order[static_cast<std::size_t>(i)];
            sorted[static_cast<std::size_t>(start[digit(leaf)]++)] = leaf;
        }
        std::copy_n(sorted.begin(), n, order.begin());
    }
    // Two-queue merge: leaves in weight order, internal nodes arise in weight order.
    int leaf = 0;
    int inner = n;
    auto weight = [&](int i) { return nodes[static_cast<std::size_t>(i)].weight; };
    auto pick = [&]() {
        if (leaf < n && (inner >= node_count ||
                         weight(order[static_cast<std::size_t>(leaf)]) <= weight(inner))) {
            return order[static_cast<std::size_t>(leaf++)];
        }
        return inner++;
    };
    while ((n - leaf) + (node_count - inner) > 1) {
        const int a = pick();
        const int b = pick();
        nodes[static_cast<std::size_t>(node_count++)] = {weight(a) + weight(b), a, b};
    }
    std::array<int, 2 * kMaxSymbols> d;
    d[static_cast<std::size_t>(node_count - 1)] = 0;
    for (int i = node_count - 1; i >= n; --i) {
        const Node& node = nodes[static_cast<std::size_t>(i)];
        d[static_cast<std::size_t>(node.left)] = d[static_cast<std::size_t>(i)] + 1;
        d[static_cast<std::size_t>(node.right)] = d[static_cast<std::size_t>(i)] + 1;
    }
    std::copy(d.begin(), d.begin() + n, depth);
}

}  // namespace

int BuildLengths(const std::uint32_t* freq, int count, int max_bits, std::uint8_t* lengths) {
    std::array<int, kMaxSymbols> used;
    int n = 0;
    // Every symbol written, only the used kept: a branch here is mispredicted on every gap.
    for (int i = 0; i < count; ++i) {
        lengths[i] = 0;
        used[static_cast<std::size_t>(n)] = i;
        n += freq[i] != 0;
    }
    if (n <= 1) return n;
    std::array<int, kMaxSymbols> depth;
    HuffmanDepths(used.data(), n, freq, depth.data());
    const std::int64_t full = std::int64_t{1} << max_bits;
    std::int64_t kraft = 0;
    for (int i = 0; i < n; ++i) {
        int& d = depth[static_cast<std::size_t>(i)];
        d = std::min(d, max_bits);
        kraft += std::int64_t{1} << (max_bits - d);
    }
    if (kraft > full) {
        // Lengthen the rarest of the longest codes still below the limit until the set fits,
        // then give back what is left to the most frequent codes.
        std::array<int, kMaxSymbols> by_freq;
        for (int i = 0; i < n; ++i) by_freq[static_cast<std::size_t>(i)] = i;
        std::sort(by_freq.begin(), by_freq.begin() + n, [&](int a, int b) {
            return freq[used[static_cast<std::size_t>(a)]] >
                   freq[used[static_cast<std::size_t>(b)]];
        });
        while (kraft > full) {
            int best = -1;
            for (int k = n; k-- > 0;) {
                const int i = by_freq[static_cast<std::size_t>(k)];
                if (depth[static_cast<std::size_t>(i)] < max_bits &&
                    (best < 0 ||
                     depth[static_cast<std::size_t>(i)] > depth[static_cast<std::size_t>(best)]))
                    best = i;
            }
            int& d = depth[static_cast<std::size_t>(best)];
            kraft -= std::int64_t{1} << (max_bits - d - 1);
            ++d;
        }
        for (int k = 0; k < n; ++k) {
            int& d = depth[static_cast<std::size_t>(by_freq[static_cast<std::size_t>(k)])];
            while (d > 1 && kraft + (std::int64_t{1} << (max_bits - d)) <= full) {
                kraft += std::int64_t{1} << (max_bits - d);
                --d;
            }
        }
    }
    for (int i = 0; i < n; ++i)
        lengths[used[static_cast<std::size_t>(i)]] =
            static_cast<std::uint8_t>(depth[static_cast<std::size_t>(i)]);
    return n;
}

void AssignCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes) {
    std::array<std::uint32_t, 18> per_length{};
    for (int i = 0; i < count; ++i) ++per_length[lengths[i]];
    per_length[0] = 0;
    std::array<std::uint32_t, 18> next{};
    std::uint32_t code = 0;
    for (int len = 1; len <= 16; ++len) {
        next[len] = code;
        code = (code + per_length[len]) << 1;
    }
    for (int i = 0; i < count; ++i) {
        codes[i] = lengths[i] ? static_cast<std::uint16_t>(next[lengths[i]]++) : 0;
    }
}

}  // namespace quorvex6::backend::codecs::lh
