// A folder's data decoded front to back from its CFDATA blocks, each checked against its
// checksum before it is decoded. Files of a folder lie at offsets in this one stream, which
// may run on through the cabinets of a set.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "codecs/frame_codec.h"
#include "formats/cab/cab_set.h"
#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::cab {

class FolderReader {
  public:
    // Throws io::Error(kUnknownMethod) for a method no decoder here reads.
    explicit FolderReader(const SetFolder& folder);

    // Passes the next `count` bytes to `sink`, or drops them when it is null. Throws
    // io::Error: kBrokenData when the folder ends first or a block does not decode,
    // kDataChecksum, kRead, kWrite.
    void Copy(std::uint64_t count, io::Sink* sink);
    std::uint64_t position() const { return position_; }

  private:
    void NextBlock();
    // Appends the next CFDATA of the folder to packed_; returns its cbUncomp.
    std::uint16_t ReadPiece();
    void Decode(std::uint16_t unpacked);

    const SetFolder& folder_;
    std::size_t piece_ = 0;
    std::uint64_t next_offset_;
    std::uint32_t blocks_read_ = 0;  // of the current piece
    std::uint64_t position_ = 0;
    std::vector<std::uint8_t> packed_;
    std::vector<std::uint8_t> block_;
    std::size_t block_at_ = 0;
    std::unique_ptr<codecs::FrameDecoder> decoder_;  // none for stored blocks
};

}  // namespace quorvex6::backend::cab
