#include "io/blake2sp.h"

#include <algorithm>
#include <cstring>

#include "io/byte_order.h"

namespace quorvex6::backend::io {

namespace {

constexpr std::size_t kBlock = 64;
constexpr std::uint32_t kIv[8] = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                                  0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};
constexpr std::uint8_t kSigma[10][16] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
    {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
    {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4},
    {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
    {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13},
    {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
    {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11},
    {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
    {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5},
    {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
};

// Parameter block: 32-byte digest, no key, fanout 8, depth 2, inner length 32.
constexpr std::uint32_t kParamWord0 = 32u | (8u << 16) | (2u << 24);
constexpr std::uint32_t kInnerLength = 32u << 24;
constexpr std::uint32_t kRootDepth = 1u << 16;

std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void Compress(Blake2sp::Node& node, bool last, bool last_node) {
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i) m[i] = Le32(node.block.data() + 4 * i);
    std::uint32_t v[16];
    std::copy(node.h.begin(), node.h.end(), v);
    std::copy(kIv, kIv + 8, v + 8);
    v[12] ^= static_cast<std::uint32_t>(node.count);
    v[13] ^= static_cast<std::uint32_t>(node.count >> 32);
    if (last) v[14] = ~v[14];
    if (last_node) v[15] = ~v[15];
    auto g = [&v](int a, int b, int c, int d, std::uint32_t x, std::uint32_t y) {
        v[a] = v[a] + v[b] + x;
        v[d] = Rotr(v[d] ^ v[a], 16);
        v[c] = v[c] + v[d];
        v[b] = Rotr(v[b] ^ v[c], 12);
        v[a] = v[a] + v[b] + y;
        v[d] = Rotr(v[d] ^ v[a], 8);
        v[c] = v[c] + v[d];
        v[b] = Rotr(v[b] ^ v[c], 7);
    };
    for (const auto& s : kSigma) {
        g(0, 4, 8, 12, m[s[0]], m[s[1]]);
        g(1, 5, 9, 13, m[s[2]], m[s[3]]);
        g(2, 6, 10, 14, m[s[4]], m[s[5]]);
        g(3, 7, 11, 15, m[s[6]], m[s[7]]);
        g(0, 5, 10, 15, m[s[8]], m[s[9]]);
        g(1, 6, 11, 12, m[s[10]], m[s[11]]);
        g(2, 7, 8, 13, m[s[12]], m[s[13]]);
        g(3, 4, 9, 14, m[s[14]], m[s[15]]);
    }
    for (int i = 0; i < 8; ++i) node.h[i] ^= v[i] ^ v[i + 8];
}

void Start(Blake2sp::Node& node, std::uint32_t offset, std::uint32_t depth) {
    std::copy(kIv, kIv + 8, node.h.begin());
    node.h[0] ^= kParamWord0;
    node.h[2] ^= offset;
    node.h[3] ^= kInnerLength | depth;
}

// Takes bytes into the node's block, compressing a full one only when more follow.
void Absorb(Blake2sp::Node& node, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        if (node.filled == kBlock) {
            node.count += kBlock;
            Compress(node, false, false);
            node.filled = 0;
        }
        std::size_t n = std::min(size, kBlock - node.filled);
        std::memcpy(node.block.data() + node.filled, data, n);
        node.filled += n;
        data += n;
        size -= n;
    }
}

void Finish(Blake2sp::Node& node, bool last_node, std::uint8_t* out) {
    node.count += node.filled;
    std::fill(node.block.begin() + static_cast<std::ptrdiff_t>(node.filled), node.block.end(), 0);
    Compress(node, true, last_node);
    for (int i = 0; i < 8; ++i) StoreLe32(out + 4 * i, node.h[i]);
}

}  // namespace

Blake2sp::Blake2sp() {
    for (std::size_t i = 0; i < kLeaves; ++i) Start(leaves_[i], static_cast<std::uint32_t>(i), 0);
}

void Blake2sp::Update(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        // Each leaf takes every eighth 64-byte stripe of the stream.
        Node& leaf = leaves_[leaf_];
        std::size_t in_stripe = leaf.filled == kBlock ? 0 : leaf.filled;
        std::size_t n = std::min(size, kBlock - in_stripe);
        Absorb(leaf, data, n);
        data += n;
        size -= n;
        if (leaf.filled == kBlock) leaf_ = (leaf_ + 1) % kLeaves;
    }
}

Blake2spDigest Blake2sp::Final() {
    Node root;
    Start(root, 0, kRootDepth);
    std::uint8_t digest[kBlake2spSize];
    for (std::size_t i = 0; i < kLeaves; ++i) {
        Finish(leaves_[i], i == kLeaves - 1, digest);
        Absorb(root, digest, sizeof digest);
    }
    Blake2spDigest out;
    Finish(root, true, out.data());
    return out;
}

}  // namespace quorvex6::backend::io
