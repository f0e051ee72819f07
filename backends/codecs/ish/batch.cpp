#include "codecs/ish/batch.h"

#include <algorithm>
#include <cstring>

#include "codecs/ish/crc16.h"
#include "codecs/ish/line_text.h"

namespace quorvex6::backend::codecs::ish {

Batch::Batch(const Layout& layout)
    : layout_(layout),
      grids_(kBlocks),
      data_lines_(kBlocks),
      text_(kBlocks * (layout.payload() + 2) * layout.text) {}

bool Batch::Read(Payload& payload, std::uint64_t& lines) {
    const std::size_t per_block = layout_.payload();
    blocks_ = 0;
    while (lines > 0 && blocks_ < kBlocks) {
        auto in_block = static_cast<std::size_t>(std::min<std::uint64_t>(lines, per_block));
        lines -= in_block;
        Grid& grid = grids_[blocks_];
        for (std::size_t n = 1; n <= per_block; ++n) {
            Row& row = grid[n];
            row[0] = static_cast<std::uint8_t>(n);
            if (n <= in_block) {
                if (!payload.fill(row.data() + 1, per_block)) return false;
            } else {  // a short block counts its missing lines as zeros
                std::fill(row.begin() + 1, row.end(), 0);
            }
        }
        data_lines_[blocks_++] = in_block;
    }
    return true;
}

void Batch::Encode(Variant v) {
    lines_ = 0;
    for (std::size_t b = 0; b < blocks_; ++b) {
        Grid& grid = grids_[b];
        for (std::size_t n = 1; n <= data_lines_[b]; ++n) Put(v, grid[n]);
        ComputeCheckRows(grid, layout_);
        Put(v, grid[layout_.vertical()]);
        Put(v, grid[layout_.diagonal()]);
    }
}

bool Batch::Write(TextOut& text) const {
    const std::size_t width = layout_.text;
    for (std::size_t i = 0; i < lines_; ++i) {
        std::memcpy(text.line_room(width), text_.data() + i * width, width);
        if (!text.end_line()) return false;
    }
    return true;
}

void Batch::Put(Variant v, Row& row) {
    SealRecord(row.data(), layout_.record);
    EncodeLine(v, row.data(), text_.data() + lines_++ * layout_.text);
}

}  // namespace quorvex6::backend::codecs::ish
