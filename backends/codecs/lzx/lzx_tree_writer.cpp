#include "codecs/lzx/lzx_tree_writer.h"

#include <algorithm>

#include "codecs/lzx/lzx_huffman_encoder.h"

namespace quorvex6::backend::codecs::lzx {

namespace {

constexpr std::uint8_t kZeros4 = 17, kZeros20 = 18, kSame4 = 19;
constexpr unsigned kPretreeLengthBits = 4;

std::uint8_t Change(std::uint8_t previous, std::uint8_t length) {
    return static_cast<std::uint8_t>((previous + 17 - length) % 17);
}

}  // namespace

TreeWriter::TreeWriter(std::span<const std::uint8_t> previous,
                       std::span<const std::uint8_t> lengths) {
    const std::size_t n = lengths.size();
    std::size_t i = 0;
    while (i < n) {
        std::uint8_t value = lengths[i];
        std::size_t run = 1;
        while (i + run < n && lengths[i + run] == value) ++run;
        if (value == 0 && run >= 20) {
            std::size_t k = std::min<std::size_t>(run, 51);
            Add({kZeros20, 5, static_cast<std::uint8_t>(k - 20), 0});
            i += k;
        } else if (value == 0 && run >= 4) {
            std::size_t k = std::min<std::size_t>(run, 19);
            Add({kZeros4, 4, static_cast<std::uint8_t>(k - 4), 0});
            i += k;
        } else if (run >= 4) {
            std::size_t k = std::min<std::size_t>(run, 5);
            Add({kSame4, 1, static_cast<std::uint8_t>(k - 4), Change(previous[i], value)});
            i += k;
        } else {
            Add({Change(previous[i], value), 0, 0, 0});
            ++i;
        }
    }
    BuildLengths(counts_, kMaxPretreeLength, lengths_);
    AssignCodes(lengths_, codes_);
    bits_ = kPretreeSymbols * kPretreeLengthBits;
    for (const Run& r : runs_) {
        bits_ += lengths_[r.symbol] + r.extra_bits;
        if (r.symbol == kSame4) bits_ += lengths_[r.change];
    }
}

void TreeWriter::Add(Run run) {
    runs_.push_back(run);
    ++counts_[run.symbol];
    if (run.symbol == kSame4) ++counts_[run.change];
}

void TreeWriter::Write(BitWriter& out) const {
    for (std::uint8_t length : lengths_) out.Write(length, kPretreeLengthBits);
    for (const Run& r : runs_) {
        out.Write(codes_[r.symbol], lengths_[r.symbol]);
        out.Write(r.extra, r.extra_bits);
        if (r.symbol == kSame4) out.Write(codes_[r.change], lengths_[r.change]);
    }
}

}  // namespace quorvex6::backend::codecs::lzx
