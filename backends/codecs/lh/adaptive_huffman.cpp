#include "codecs/lh/adaptive_huffman.h"

#include <cstring>

namespace quorvex6::backend::codecs::lh {

namespace {
constexpr std::uint32_t kMaxFreq = 0x8000;
}

AdaptiveHuffman::AdaptiveHuffman() {
    for (int i = 0; i < kSymbols; ++i) {
        freq_[i] = 1;
        son_[i] = i + kNodes;
        parent_[i + kNodes] = i;
    }
    for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
        freq_[j] = freq_[i] + freq_[i + 1];
        son_[j] = i;
        parent_[i] = parent_[i + 1] = j;
    }
    freq_[kNodes] = 0xffff;  // sentinel that stops the upward search in update()
    parent_[kRoot] = 0;
}

void AdaptiveHuffman::rebuild() {
    int j = 0;
    for (int i = 0; i < kNodes; ++i) {
        if (son_[i] >= kNodes) {
            freq_[j] = (freq_[i] + 1) / 2;
            son_[j] = son_[i];
            ++j;
        }
    }
    for (int i = 0, n = kSymbols; n < kNodes; i += 2, ++n) {
        std::uint32_t f = freq_[i] + freq_[i + 1];
        freq_[n] = f;
        int k = n - 1;
        while (f < freq_[k]) --k;
        ++k;
        std::size_t moved = static_cast<std::size_t>(n - k);
        std::memmove(&freq_[k + 1], &freq_[k], moved * sizeof(freq_[0]));
        freq_[k] = f;
        std::memmove(&son_[k + 1], &son_[k], moved * sizeof(son_[0]));
        son_[k] = i;
    }
    for (int i = 0; i < kNodes; ++i) {
        int k = son_[i];
        parent_[k] = i;
        if (k < kNodes) parent_[k + 1] = i;
    }
}

void AdaptiveHuffman::update(int symbol) {
    if (freq_[kRoot] == kMaxFreq) rebuild();
    int c = parent_[symbol + kNodes];
    do {
        std::uint32_t k = ++freq_[c];
        int l = c + 1;
        if (k > freq_[l]) {
            while (k > freq_[++l]) {
            }
            --l;
            freq_[c] = freq_[l];
            freq_[l] = k;
            int i = son_[c];
            parent_[i] = l;
            if (i < kNodes) parent_[i + 1] = l;
            int s = son_[l];
            son_[l] = i;
            parent_[s] = c;
            if (s < kNodes) parent_[s + 1] = c;
            son_[c] = s;
            c = l;
        }
        c = parent_[c];
    } while (c != 0);
}

int AdaptiveHuffman::code(int symbol, std::array<std::uint8_t, kNodes>& path) const {
    int length = 0;
    for (int k = parent_[symbol + kNodes]; k != kRoot; k = parent_[k]) {
        path[static_cast<std::size_t>(length++)] = static_cast<std::uint8_t>(k & 1);
    }
    // The walk went leaf to root; the code is read root to leaf.
    for (int a = 0, b = length - 1; a < b; ++a, --b) std::swap(path[a], path[b]);
    return length;
}

}  // namespace quorvex6::backend::codecs::lh
