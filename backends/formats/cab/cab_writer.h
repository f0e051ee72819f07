// Writing a cabinet: each folder's CFDATA blocks from a file's data, and the header (CFHEADER,
// CFFOLDER, CFFILE) once every folder has its place. No reserve areas are written; every
// block has its checksum.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/frame_codec.h"
#include "io/random_access.h"

namespace quorvex6::backend::cab {

struct WrittenFolder {
    std::uint64_t offset = 0;  // of its first CFDATA in the cabinet
    std::uint16_t blocks = 0;
    std::uint16_t type = 0;
};

struct WrittenFile {
    std::string name;  // as stored: '\' separated
    std::uint32_t size = 0;
    std::uint32_t folder_offset = 0;
    std::uint16_t folder = 0;
    std::uint16_t date = 0, time = 0;
    std::uint16_t attributes = 0;
};

// A '/'-separated UTF-8 name as CAB stores it, and the attribute bit it needs (0x80 when it is
// not ASCII). Throws io::Error(kNameTooLong) past 255 bytes.
std::string StoredName(std::string_view name, std::uint16_t* attributes);

// How many bytes the header of `files` (one folder each at most) takes.
std::uint64_t HeaderRoom(const std::vector<std::string>& stored_names);

// A cabinet's place in its set; none for a cabinet alone.
struct SetLinks {
    std::uint16_t set_id = 0;
    std::uint16_t index = 0;
    std::string previous, next;  // file names; empty when there is none
};

std::string CabinetHeader(std::uint64_t cabinet_size, const std::vector<WrittenFolder>& folders,
                          const std::vector<WrittenFile>& files, const SetLinks& links = {});

// Writes one CFDATA (header with checksum, then `packed`) at `out`'s position; throws
// io::Error(kWrite).
void WriteDataBlock(std::span<const std::uint8_t> packed, std::size_t unpacked,
                    io::RandomOutput& out);

// Encodes data into a folder's blocks of 32 KiB, stored, MSZIP, Quantum or LZX.
class FolderEncoder {
  public:
    // `type` kMethodStore, kMethodMszip, or kMethodQuantum or kMethodLzx with their window
    // (and Quantum's level); `level` as the MSZIP row takes it. Throws
    // io::Error(kUnknownMethod) for a type no row takes.
    FolderEncoder(std::uint16_t type, int level);

    // Reads `size` bytes of `data` (fewer when it ends first) and writes the folder's CFDATA
    // blocks at `out`'s position. Returns the blocks written; `*read` is set to the bytes
    // read. Throws io::Error: kRead, kWrite, kBrokenData past the largest folder.
    std::uint16_t Encode(io::RandomInput& data, std::uint64_t size, io::RandomOutput& out,
                         std::uint64_t* read);

  private:
    std::uint16_t WriteFrames(io::RandomOutput& out);  // the frames handed out so far

    std::unique_ptr<codecs::FrameEncoder> encoder_;  // none for stored blocks
    std::vector<std::uint8_t> current_;
    std::vector<codecs::PackedFrame> frames_;
};

}  // namespace quorvex6::backend::cab
