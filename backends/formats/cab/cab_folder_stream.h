// Files' data as one folder's CFDATA blocks, a block running on from one file into the next,
// so that small files share blocks and each block has the previous one's input as MSZIP
// dictionary. Blocks are compressed side by side on several threads; a new folder starts when
// one is full (a file never spans folders).
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "codecs/mszip/mszip.h"
#include "formats/cab/cab_writer.h"
#include "io/random_access.h"

namespace quorvex6::backend::cab {

class FolderStream {
  public:
    // `type` kMethodStore or kMethodMszip; `level` zlib's.
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
    // Compresses and writes the complete blocks pending, or all of them with `last`.
    void Flush(io::RandomOutput& out, bool last);
    void StartFolder(io::RandomOutput& out, std::uint64_t base);

    std::uint16_t type_;
    std::vector<std::unique_ptr<codecs::mszip::BlockEncoder>> encoders_;  // one a thread
    std::vector<std::uint8_t> pending_;                                   // input not yet written
    std::vector<std::uint8_t> dictionary_;  // the input of the last block written
    std::vector<WrittenFolder> folders_;
    std::uint64_t folder_bytes_ = 0;  // input of the current folder
    // What an Append that fails must put back, kept when its first flush takes pending input.
    struct Saved {
        std::vector<std::uint8_t> pending, dictionary;
    };
    std::optional<Saved> saved_;
    std::size_t pending_at_call_ = 0;
    std::vector<std::vector<std::uint8_t>> packed_;
};

}  // namespace quorvex6::backend::cab
