#include "codecs/ish/file_blocks.h"

#include <algorithm>
#include <cstring>

#include "codecs/ish/crc16.h"

namespace quorvex6::backend::codecs::ish {

namespace {

constexpr std::size_t kChunk = 256 << 10;

}  // namespace

FileBlocks::FileBlocks(const Layout& layout, std::uint32_t size, Sink& out, DecodeReport& report)
    : layout_(layout),
      size_(size),
      out_(out),
      report_(report),
      lines_((std::uint64_t{size} + 2 + layout.payload() - 1) / layout.payload()),
      blocks_((lines_ + layout.payload() - 1) / layout.payload()),
      grid_(std::make_unique<Grid>()),
      crc_(kCrcStart) {
    buffer_.reserve(kChunk);
}

std::size_t FileBlocks::data_lines(std::uint64_t block) const {
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(layout_.payload(), lines_ - block * layout_.payload()));
}

bool FileBlocks::is_line_of_block(std::size_t n) const {
    return n <= data_lines(block_) || n == layout_.vertical() || n == layout_.diagonal();
}

FileBlocks::Step FileBlocks::add(const Record& line) {
    std::size_t n = line.number();
    if (n == last_) return Step::more;  // the same line twice
    if (n < last_) {
        if (!close_block(Status::kCorrupt, Fault::kUnrepairableBlock)) return Step::failed;
        if (block_ == blocks_) return finish() ? Step::not_ours : Step::failed;
    }
    last_ = n;
    if (is_line_of_block(n)) {
        std::memcpy((*grid_)[n].data(), line.bytes.data(), layout_.record);
        present_.set(n);
    }
    // Nothing follows a block's diagonal line: the last block ends there.
    if (block_ + 1 == blocks_ && n == layout_.diagonal()) {
        if (!close_block(Status::kCorrupt, Fault::kUnrepairableBlock)) return Step::failed;
        return finish() ? Step::done : Step::failed;
    }
    return Step::more;
}

Status FileBlocks::end() {
    if (status_ != Status::kOk) return status_;
    // A block still open here that cannot be rebuilt was cut rather than damaged when more
    // blocks should follow it or when all it lacks would have come after its latest line.
    if (last_ > 0) {
        bool cut = block_ + 1 < blocks_ || !lacks_line_before(last_);
        if (!close_block(cut ? Status::kTruncated : Status::kCorrupt,
                         cut ? Fault::kMissingBlocks : Fault::kUnrepairableBlock))
            return status_;
    }
    if (block_ < blocks_) {
        fail(Status::kTruncated, Fault::kMissingBlocks);
        return status_;
    }
    finish();
    return status_;
}

bool FileBlocks::lacks_line_before(std::size_t n) const {
    for (std::size_t k = 1; k < n; ++k) {
        if (is_line_of_block(k) && !present_.test(k)) return true;
    }
    return false;
}

bool FileBlocks::close_block(Status unrepairable, Fault why) {
    const std::size_t in_block = data_lines(block_);
    std::vector<std::size_t> lost;
    for (std::size_t n = 1; n <= layout_.diagonal(); ++n) {
        bool real = n <= in_block || n == layout_.vertical() || n == layout_.diagonal();
        if (real && !present_.test(n)) lost.push_back(n);
    }
    Grid& grid = *grid_;
    for (std::size_t n = in_block + 1; n <= layout_.payload(); ++n) {
        grid[n].fill(0);
        grid[n][0] = static_cast<std::uint8_t>(n);
    }
    std::vector<std::size_t> rebuild(lost);
    std::erase(rebuild, layout_.diagonal());
    if (lost.size() >= 3 || (!rebuild.empty() && !RebuildRows(grid, layout_, rebuild,
                                                              present_.test(layout_.diagonal())))) {
        report_.lost = std::move(lost);
        return fail(unrepairable, why);
    }
    for (std::size_t n = 1; n <= in_block; ++n) emit(grid[n].data() + 1, layout_.payload());
    report_.lost_lines += lost.size();
    ++report_.blocks;
    ++block_;
    last_ = 0;
    present_.reset();
    return buffer_.size() < kChunk || flush();
}

void FileBlocks::emit(const std::uint8_t* bytes, std::size_t n) {
    std::size_t data =
        pos_ < size_ ? static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - pos_)) : 0;
    if (data > 0) {
        buffer_.insert(buffer_.end(), bytes, bytes + data);
        crc_ = Crc16(crc_, bytes, data);
    }
    // The two bytes after the file's own are its CRC, whichever lines they fall in.
    for (std::size_t i = data; i < n; ++i) {
        std::uint64_t at = pos_ + i;
        if (at == size_) stored_crc_ = static_cast<std::uint16_t>(bytes[i] << 8);
        if (at == std::uint64_t{size_} + 1) stored_crc_ |= bytes[i];
    }
    pos_ += n;
}

bool FileBlocks::flush() {
    if (!buffer_.empty() && !out_.write(buffer_.data(), buffer_.size()))
        return fail(Status::kWriteFailed, Fault::kNone);
    buffer_.clear();
    return true;
}

bool FileBlocks::finish() {
    if (!flush()) return false;
    if (static_cast<std::uint16_t>(~crc_) != stored_crc_)
        return fail(Status::kCorrupt, Fault::kFileCrc);
    return true;
}

bool FileBlocks::fail(Status s, Fault f) {
    status_ = s;
    report_.fault = f;
    return false;
}

}  // namespace quorvex6::backend::codecs::ish
