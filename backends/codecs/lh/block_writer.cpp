#include "codecs/lh/block_writer.h"

#include <optional>

namespace quorvex6::backend::codecs::lh {

namespace {
// Symbols collected before they are cut into blocks: long enough that tables cost little.
constexpr std::size_t kCollected = 0x8000;
// No block is cut shorter than this: below it the tables weigh too much to gain anything.
constexpr std::size_t kSmallestBlock = 0x800;
// libarchive starts a block only once it can fill 64 bits of look-ahead, and takes anything
// shorter for stray bits after the end: the last block, padding included, is never shorter.
constexpr std::uint64_t kShortestLastBlock = 64;
}  // namespace

BlockWriter::BlockWriter(const StaticParams& params, BitWriter& out) : params_(params), out_(out) {
    symbols_.reserve(kCollected);
}

// Cuts [begin, end) in halves while two blocks cost less than one, and so on down each half;
// appends the block ends. `bits` is what [begin, end) costs as one block.
void BlockWriter::plan(std::size_t begin, std::size_t end, const SymbolCounts& counts,
                       std::uint64_t bits) {
    if (end - begin >= 2 * kSmallestBlock) {
        const std::size_t mid = begin + (end - begin) / 2;
        const SymbolCounts first(symbols_.data() + begin, mid - begin);
        const SymbolCounts second = counts.minus(first);
        const std::uint64_t first_bits = BlockPlan(params_, first, nullptr, mid - begin).bits();
        const std::uint64_t second_bits = BlockPlan(params_, second, nullptr, end - mid).bits();
        if (first_bits + second_bits < bits) {
            plan(begin, mid, first, first_bits);
            plan(mid, end, second, second_bits);
            return;
        }
    }
    ends_.push_back(end);
}

std::size_t BlockWriter::write_all_but_last() {
    ends_.clear();
    // Too short to cut: one block, planned once by the caller (small files are most files).
    if (symbols_.size() < 2 * kSmallestBlock) return 0;
    const SymbolCounts all(symbols_.data(), symbols_.size());
    plan(0, symbols_.size(), all, BlockPlan(params_, all, nullptr, symbols_.size()).bits());
    std::size_t begin = 0;
    for (std::size_t i = 0; i + 1 < ends_.size(); ++i) {
        const ParsedSymbol* run = symbols_.data() + begin;
        const std::size_t n = ends_[i] - begin;
        BlockPlan(params_, SymbolCounts(run, n), run, n).write(out_);
        begin = ends_[i];
    }
    return begin;
}

void BlockWriter::flush() {
    if (symbols_.empty()) return;
    const std::size_t begin = write_all_but_last();
    const ParsedSymbol* run = symbols_.data() + begin;
    const std::size_t n = symbols_.size() - begin;
    BlockPlan(params_, SymbolCounts(run, n), run, n).write(out_);
    symbols_.clear();
}

void BlockWriter::finish() {
    if (symbols_.empty()) return;
    write_last(write_all_but_last());
    symbols_.clear();
}

// The stream's last block, in the cheapest shape that every reader finds the end of: long
// enough (above), and not ending on a code of no bits at a byte boundary, where Debian's lha
// finds nothing left to read for it and drops it. Padding stays under a byte, as 7-Zip and
// libarchive take a whole byte more for damage. A shape that costs a bit a symbol is cheaper
// on the last symbol alone, as a block of its own.
void BlockWriter::write_last(std::size_t begin) {
    const std::size_t end = symbols_.size();
    const std::uint64_t at = out_.bit_count();
    auto block = [&](std::size_t from, std::size_t to, TableShape shape) {
        return BlockPlan(params_, SymbolCounts(symbols_.data() + from, to - from),
                         symbols_.data() + from, to - from, shape);
    };
    auto ends_well = [](std::uint64_t from, const BlockPlan& plan) {
        const std::uint64_t padding = (8 - (from + plan.bits()) % 8) % 8;
        return plan.bits() + padding >= kShortestLastBlock &&
               (padding > 0 || !plan.ends_on_empty_code());
    };
    if (const BlockPlan plain = block(begin, end, {}); ends_well(at, plain)) {
        plain.write(out_);
        return;
    }
    // With both tables given two codes and every offset length sent, any block ends well.
    std::size_t cut = begin;
    TableShape best{true, true, params_.dict_bits + 1};
    std::optional<std::uint64_t> best_bits;
    auto consider = [&](std::size_t from) {
        const std::uint64_t before = from > begin ? block(begin, from, {}).bits() : 0;
        for (bool c : {false, true}) {
            for (bool p : {false, true}) {
                for (int spare = 0; spare <= params_.dict_bits + 1; ++spare) {
                    const TableShape shape{c, p, spare};
                    const BlockPlan plan = block(from, end, shape);
                    if (ends_well(at + before, plan) &&
                        (!best_bits || before + plan.bits() < *best_bits)) {
                        cut = from;
                        best = shape;
                        best_bits = before + plan.bits();
                    }
                }
            }
        }
    };
    consider(begin);
    if (end - begin > 1) consider(end - 1);
    if (cut > begin) block(begin, cut, {}).write(out_);
    block(cut, end, best).write(out_);
}

}  // namespace quorvex6::backend::codecs::lh
