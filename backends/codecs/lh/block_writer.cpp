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

// Cheapest cut of [begin, end) into halves, quarters and so on; appends the block ends.
std::uint64_t BlockWriter::plan(std::size_t begin, std::size_t end) {
    const std::uint64_t whole = BlockPlan(params_, symbols_.data() + begin, end - begin).bits();
    const std::size_t mark = ends_.size();
    if (end - begin >= 2 * kSmallestBlock) {
        const std::size_t mid = begin + (end - begin) / 2;
        const std::uint64_t halves = plan(begin, mid) + plan(mid, end);
        if (halves < whole) return halves;
        ends_.resize(mark);
    }
    ends_.push_back(end);
    return whole;
}

void BlockWriter::flush() {
    if (symbols_.empty()) return;
    ends_.clear();
    plan(0, symbols_.size());
    std::size_t begin = 0;
    for (std::size_t end : ends_) {
        BlockPlan(params_, symbols_.data() + begin, end - begin).write(out_);
        begin = end;
    }
    symbols_.clear();
}

}  // namespace quorvex6::codecs::lh
