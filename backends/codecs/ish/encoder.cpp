#include <algorithm>
#include <cstring>
#include <future>
#include <system_error>
#include <vector>

#include "codecs/ish/check_lines.h"
#include "codecs/ish/crc16.h"
#include "codecs/ish/first_line.h"
#include "codecs/ish/ish.h"
#include "codecs/ish/line_text.h"
#include "codecs/ish/payload.h"
#include "codecs/ish/text_out.h"

namespace quorvex6::backend::codecs::ish {

namespace {

// Blocks encoded as one piece of work; a large file's pieces are encoded two at a time on two
// threads, since making the lines is most of the work.
constexpr std::size_t kBatchBlocks = 64;

class Batch {
  public:
    explicit Batch(const Layout& l) : layout_(l), grids_(kBatchBlocks), data_lines_(kBatchBlocks) {}

    // Takes the payload of up to kBatchBlocks blocks out of the `lines` data lines still due.
    bool read(Payload& payload, std::uint64_t& lines) {
        const std::size_t per_block = layout_.payload();
        blocks_ = 0;
        while (lines > 0 && blocks_ < kBatchBlocks) {
            std::size_t in_block =
                static_cast<std::size_t>(std::min<std::uint64_t>(lines, per_block));
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

    // Every line of the blocks read, one after another without line ends.
    void encode(Variant v) {
        const std::size_t width = layout_.text;
        text_.resize(blocks_ * (layout_.payload() + 2) * width);
        lines_ = 0;
        for (std::size_t b = 0; b < blocks_; ++b) {
            Grid& grid = grids_[b];
            for (std::size_t n = 1; n <= data_lines_[b]; ++n) put(v, grid[n]);
            ComputeCheckRows(grid, layout_);
            put(v, grid[layout_.vertical()]);
            put(v, grid[layout_.diagonal()]);
        }
    }

    bool write(TextOut& out) const {
        const std::size_t width = layout_.text;
        for (std::size_t i = 0; i < lines_; ++i) {
            std::memcpy(out.line_room(width), text_.data() + i * width, width);
            if (!out.end_line()) return false;
        }
        return true;
    }

    bool empty() const { return blocks_ == 0; }

  private:
    void put(Variant v, Row& row) {
        SealRecord(row.data(), layout_.record);
        EncodeLine(v, row.data(), text_.data() + lines_++ * layout_.text);
    }

    const Layout& layout_;
    std::vector<Grid> grids_;
    std::vector<std::size_t> data_lines_;
    std::size_t blocks_ = 0;
    std::vector<std::uint8_t> text_;
    std::size_t lines_ = 0;
};

class IshEncoder final : public Encoder {
  public:
    explicit IshEncoder(const FileInfo& info) : info_(info) {}

    Status encode(Source& in, Sink& out, std::uint64_t limit) override {
        const Layout& l = LayoutOf(info_.variant);
        TextOut text(out, limit, info_);
        if (!text.line(FirstLine(info_, AnnouncedLines(info_)))) return text.status();
        HeaderRecord header = MakeHeader(info_);
        for (int copy = 0; copy < 3; ++copy) {
            EncodeLine(l.header, header.data(), text.line_room(LayoutOf(l.header).text));
            if (!text.end_line()) return text.status();
        }
        Payload payload(in, info_.size);
        std::uint64_t lines = (std::uint64_t{info_.size} + 2 + l.payload() - 1) / l.payload();
        Batch first(l), second(l);
        while (lines > 0) {
            if (!first.read(payload, lines) || !second.read(payload, lines))
                return payload.status();
            encode_both(first, second);
            if (!first.write(text) || !second.write(text)) return text.status();
        }
        return text.finish() ? Status::kOk : text.status();
    }

  private:
    void encode_both(Batch& first, Batch& second) const {
        if (!second.empty()) {
            try {
                auto job = std::async(std::launch::async, [&] { second.encode(info_.variant); });
                first.encode(info_.variant);
                job.get();
                return;
            } catch (const std::system_error&) {
                // No thread to be had: one after the other, here.
            }
        }
        first.encode(info_.variant);
        second.encode(info_.variant);
    }

    FileInfo info_;
};

}  // namespace

std::unique_ptr<Encoder> MakeEncoder(const FileInfo& info) {
    return std::make_unique<IshEncoder>(info);
}

}  // namespace quorvex6::backend::codecs::ish
