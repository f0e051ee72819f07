// Files' data as one folder's CFDATA blocks, a block running on from one file into the next,
// so that small files share blocks and each block has the previous one's input as MSZIP
// dictionary. Blocks are compressed side by side on several threads while the next files are
// read; a new folder starts when one is full (a file never spans folders).
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "formats/cab/cab_block_batch.h"
#include "formats/cab/cab_writer.h"
#include "io/random_access.h"

namespace quorvex6::backend::cab {

class FolderStream {
  public:
    // `type` kMethodStore or kMethodMszip; `level` as BlockEncoder takes it.
    FolderStream(std::uint16_t type, int level, unsigned threads);

    struct Place {
        std::uint16_t folder = 0;
        std::uint32_t offset = 0;  // in the folder's data
    };
    // Appends up to `size` bytes of `data` (`*read` is set to how many), writing the blocks
    // that are complete at `out`'s position; `base` is where `out` starts in the cabinet.
    // Throws io::Error (kRead, kWrite); then the stream and `out`'s position are as before.
    Place Append(io::RandomInput& data, std::uint64_t size, io::RandomOutput& out,
                 std::uint64_t base, std::uint64_t* read);
    // Writes what is left as the folder's last block.
    void Finish(io::RandomOutput& out, std::uint64_t base);
    // With their offsets in the cabinet; a folder without blocks when nothing had data.
    const std::vector<WrittenFolder>& folders() const { return folders_; }

  private:
    // Writes the batch being compressed and starts one of the complete blocks pending; with
    // `last`, of all of them, and writes that one too.
    void Flush(io::RandomOutput& out, bool last);
    void StartFolder(io::RandomOutput& out, std::uint64_t base);

    std::uint16_t type_;
    BlockBatch::Encoders encoders_;         // one a thread
    std::vector<std::uint8_t> pending_;     // input not yet in a batch
    std::vector<std::uint8_t> dictionary_;  // the input of the last block in a batch
    std::unique_ptr<BlockBatch> running_;   // compressed while the next input is read
    std::vector<WrittenFolder> folders_;
    std::uint64_t folder_bytes_ = 0;  // input of the current folder
    // What an Append that fails must put back, kept when its first flush takes pending input:
    // the batch it wrote then belongs to earlier files and is written again after the failure.
    struct Saved {
        std::vector<std::uint8_t> pending, dictionary;
        std::unique_ptr<BlockBatch> running;
    };
    std::optional<Saved> saved_;
    std::size_t pending_at_call_ = 0;
};

}  // namespace quorvex6::backend::cab
