#include "codecs/lh/block_writer.h"

namespace quorvex6::codecs::lh {

namespace {
// Symbols collected before they are cut into blocks: long enough that tables cost little.
constexpr std::size_t kCollected = 0x8000;
// No block is cut shorter than this: below it the tables weigh too much to gain anything.
constexpr std::size_t kSmallestBlock = 0x800;
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

void BlockWriter::flush() {
    if (symbols_.empty()) return;
    ends_.clear();
    const SymbolCounts all(symbols_.data(), symbols_.size());
    const BlockPlan whole(params_, all, symbols_.data(), symbols_.size());
    plan(0, symbols_.size(), all, whole.bits());
    if (ends_.size() == 1) {
        ends_on_empty_code_ = whole.write(out_);
        symbols_.clear();
        return;
    }
    std::size_t begin = 0;
    for (std::size_t end : ends_) {
        const ParsedSymbol* run = symbols_.data() + begin;
        ends_on_empty_code_ = BlockPlan(params_, SymbolCounts(run, end - begin), run, end - begin).write(out_);
        begin = end;
    }
    symbols_.clear();
}

}  // namespace quorvex6::codecs::lh
