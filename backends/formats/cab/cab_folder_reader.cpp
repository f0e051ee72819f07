#include "formats/cab/cab_folder_reader.h"

#include <algorithm>

#include "formats/cab/cab_format.h"
#include "formats/cab/cab_methods.h"
#include "io/byte_order.h"
#include "io/fault.h"

namespace quorvex6::backend::cab {

namespace {

[[noreturn]] void BrokenData(const std::string& what) {
    throw io::Error(io::Fault::kBrokenData, "broken cabinet data: " + what);
}

void ReadExactly(io::RandomInput& input, std::uint64_t at, std::uint8_t* data, std::size_t n) {
    std::ptrdiff_t got = input.read_at(at, data, n);
    if (got < 0) throw io::Error(io::Fault::kRead, "cannot read the cabinet");
    if (static_cast<std::size_t>(got) != n) BrokenData("the cabinet ends inside a block");
}

}  // namespace

FolderReader::FolderReader(const SetFolder& folder)
    : folder_(folder),
      next_offset_(folder.pieces.front().folder.data_offset),
      decoder_(MakeFrameDecoder(folder.type)) {
    packed_.reserve(kMaxBlockPacked);
    block_.reserve(kMaxBlockData);
}

void FolderReader::Copy(std::uint64_t count, io::Sink* sink) {
    while (count != 0) {
        if (block_at_ == block_.size()) NextBlock();
        std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, block_.size() - block_at_));
        if (sink != nullptr && !sink->write(block_.data() + block_at_, n))
            throw io::Error(io::Fault::kWrite, "cannot write the file");
        block_at_ += n;
        position_ += n;
        count -= n;
    }
}

void FolderReader::NextBlock() {
    packed_.clear();
    std::uint16_t unpacked = 0;
    // A block that did not fit in its cabinet ends there as a piece that decodes to nothing;
    // the rest follows as the first block of the folder's part in the next cabinet.
    while (unpacked == 0) unpacked = ReadPiece();
    if (unpacked > kMaxBlockData) BrokenData("block too large");
    Decode(unpacked);
}

std::uint16_t FolderReader::ReadPiece() {
    while (blocks_read_ == folder_.pieces[piece_].folder.blocks) {
        if (piece_ + 1 == folder_.pieces.size()) BrokenData("the folder ends before its files");
        ++piece_;
        blocks_read_ = 0;
        next_offset_ = folder_.pieces[piece_].folder.data_offset;
    }
    const FolderPiece& piece = folder_.pieces[piece_];
    std::uint8_t h[kDataSize];
    ReadExactly(*piece.input, next_offset_, h, sizeof h);
    std::uint32_t checksum = io::Le32(h);
    std::uint16_t packed = io::Le16(h + 4);
    std::uint16_t unpacked = io::Le16(h + 6);
    std::size_t at = packed_.size();
    if (at + packed > kMaxBlockPacked) BrokenData("block too large");
    packed_.resize(at + packed);
    ReadExactly(*piece.input, next_offset_ + kDataSize + piece.data_reserve, packed_.data() + at,
                packed);
    next_offset_ += kDataSize + piece.data_reserve + packed;
    ++blocks_read_;
    if (checksum != 0 && BlockChecksum(packed_.data() + at, packed, packed, unpacked) != checksum)
        throw io::Error(io::Fault::kDataChecksum, "block checksum mismatch");
    return unpacked;
}

void FolderReader::Decode(std::uint16_t unpacked) {
    block_.resize(unpacked);
    block_at_ = 0;
    if (!decoder_) {
        if (packed_.size() != unpacked) BrokenData("stored block of the wrong size");
        block_.swap(packed_);  // a stored block is its own data: no copy
        return;
    }
    if (decoder_->Decode(packed_, block_) != codecs::Status::kOk)
        BrokenData(MethodText(folder_.type) + " block");
}

}  // namespace quorvex6::backend::cab
