// Collects the LZ parse of lh5..lh7 and writes it as blocks, each with the Huffman codes that
// are optimal for its own symbols; where the statistics change, a run of symbols is cut into
// halves, quarters and so on whenever the extra tables cost less than they save.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/lh/bit_writer.h"
#include "codecs/lh/block_plan.h"
#include "codecs/lh/methods.h"

namespace quorvex6::backend::codecs::lh {

class BlockWriter {
  public:
    BlockWriter(const StaticParams& params, BitWriter& out);

    void literal(std::uint8_t b) { push({b, 0}); }
    void match(int length, std::int32_t distance) {
        push({static_cast<std::uint16_t>(kLiteralCodes + length - kMinMatch),
              static_cast<std::uint32_t>(distance - 1)});
    }
    void push(ParsedSymbol s) {
        // Written only when the next symbol comes, so that the last ones wait for finish().
        if (symbols_.size() == symbols_.capacity()) flush();
        symbols_.push_back(s);
    }
    bool failed() const { return out_.failed(); }
    // Writes what is collected.
    void flush();
    // Writes what is collected as the end of the stream.
    void finish();
    // Hands over what is collected, unwritten, for another writer to push.
    std::vector<ParsedSymbol> release() { return std::move(symbols_); }

  private:
    void plan(std::size_t begin, std::size_t end, const SymbolCounts& counts, std::uint64_t bits);
    // Cuts what is collected into blocks and writes all but the last; returns where it begins.
    std::size_t write_all_but_last();
    void write_last(std::size_t begin);

    StaticParams params_;
    BitWriter& out_;
    std::vector<ParsedSymbol> symbols_;
    std::vector<std::size_t> ends_;
};

}  // namespace quorvex6::backend::codecs::lh
