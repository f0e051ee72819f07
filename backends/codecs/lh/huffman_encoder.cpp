#include "codecs/lh/huffman_encoder.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quorvex6::backend::codecs::lh {

namespace {

struct Node {
    std::uint64_t weight;
    int left;
    int right;
};

// Depth of every leaf in an unrestricted Huffman tree.
void HuffmanDepths(const std::vector<int>& symbols, const std::uint32_t* freq,
                   std::vector<int>& depth) {
    std::vector<Node> nodes;
    nodes.reserve(symbols.size() * 2);
    for (int s : symbols) nodes.push_back({freq[s], -1, -1});
    // Sorting plain keys (weight above index) is several times faster than an indirect order.
    std::vector<std::uint64_t> keys(symbols.size());
    for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = nodes[i].weight << 16 | i;
    std::sort(keys.begin(), keys.end());
    std::vector<int> order(symbols.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(keys[i] & 0xffff);
    // Two-queue merge: leaves in weight order, internal nodes arise in weight order.
    std::size_t leaf = 0;
    std::size_t inner = nodes.size();
    auto pick = [&]() {
        if (leaf < order.size() &&
            (inner >= nodes.size() || nodes[order[leaf]].weight <= nodes[inner].weight)) {
            return order[leaf++];
        }
        return static_cast<int>(inner++);
    };
    while ((order.size() - leaf) + (nodes.size() - inner) > 1) {
        int a = pick();
        int b = pick();
        nodes.push_back({nodes[a].weight + nodes[b].weight, a, b});
    }
    std::vector<int> d(nodes.size(), 0);
    for (int i = static_cast<int>(nodes.size()) - 1; i >= static_cast<int>(symbols.size()); --i) {
        d[nodes[i].left] = d[i] + 1;
        d[nodes[i].right] = d[i] + 1;
    }
    depth.assign(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(symbols.size()));
}

}  // namespace

int BuildLengths(const std::uint32_t* freq, int count, int max_bits, std::uint8_t* lengths) {
    std::vector<int> used;
    for (int i = 0; i < count; ++i) {
        lengths[i] = 0;
        if (freq[i] != 0) used.push_back(i);
    }
    if (used.size() <= 1) return static_cast<int>(used.size());
    std::vector<int> depth;
    HuffmanDepths(used, freq, depth);
    const std::int64_t full = std::int64_t{1} << max_bits;
    std::int64_t kraft = 0;
    for (int& d : depth) {
        d = std::min(d, max_bits);
        kraft += std::int64_t{1} << (max_bits - d);
    }
    if (kraft > full) {
        // Lengthen the rarest of the longest codes still below the limit until the set fits,
        // then give back what is left to the most frequent codes.
        std::vector<std::size_t> by_freq(used.size());
        for (std::size_t i = 0; i < by_freq.size(); ++i) by_freq[i] = i;
        std::sort(by_freq.begin(), by_freq.end(),
                  [&](std::size_t a, std::size_t b) { return freq[used[a]] > freq[used[b]]; });
        while (kraft > full) {
            std::size_t best = by_freq.size();
            for (std::size_t k = by_freq.size(); k-- > 0;) {
                std::size_t i = by_freq[k];
                if (depth[i] < max_bits && (best == by_freq.size() || depth[i] > depth[best]))
                    best = i;
            }
            kraft -= std::int64_t{1} << (max_bits - depth[best] - 1);
            ++depth[best];
        }
        for (std::size_t i : by_freq) {
            while (depth[i] > 1 && kraft + (std::int64_t{1} << (max_bits - depth[i])) <= full) {
                kraft += std::int64_t{1} << (max_bits - depth[i]);
                --depth[i];
            }
        }
    }
    for (std::size_t i = 0; i < used.size(); ++i)
        lengths[used[i]] = static_cast<std::uint8_t>(depth[i]);
    return static_cast<int>(used.size());
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
