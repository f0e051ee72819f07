// The TAR header pieces over arbitrary bytes: a header block with its old GNU sparse extension
// blocks, pax records, and a pax 1.0 sparse map, each checked for fitting its entry.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/tar/tar_parse.h"

using namespace quorvex6::backend::tar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= kBlock) {
        BlockView block(data, kBlock);
        IsZeroBlock(block);
        Bid(std::span<const uint8_t>(data, size));
        if (auto header = ParseHeader(block)) {
            bool extended = header->extended;
            for (size_t at = kBlock; extended && at + kBlock <= size; at += kBlock)
                if (!ParseSparseExtension(BlockView(data + at, kBlock), header->pieces, extended))
                    break;
            SparseMapHolds(header->pieces, header->real_size, header->size);
        }
    }
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Overrides overrides;
    if (ParsePaxRecords(text, overrides))
        SparseMapHolds(overrides.sparse_map, overrides.sparse_size.value_or(0), size);
    std::vector<Piece> pieces;
    bool done = false;
    if (auto bytes = ParseSparseMapLines(text, pieces, done))
        SparseMapHolds(pieces, UINT64_MAX, *bytes);
    return 0;
}
