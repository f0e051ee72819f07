#include "formats/cab/cab_writer.h"

#include <algorithm>

#include "formats/cab/cab_format.h"
#include "formats/cab/cab_methods.h"
#include "io/byte_order.h"
#include "io/fault.h"
#include "io/text.h"

namespace quorvex6::backend::cab {

std::string StoredName(std::string_view name, std::uint16_t* attributes) {
    if (name.size() > kMaxName)
        throw io::Error(io::Fault::kNameTooLong, "a cabinet holds names of at most 255 bytes");
    if (!io::IsAscii(name)) *attributes |= kAttributeUtf8;
    std::string stored(name);
    std::replace(stored.begin(), stored.end(), '/', '\\');
    return stored;
}

std::uint64_t HeaderRoom(const std::vector<std::string>& stored_names) {
    std::uint64_t room = kHeaderSize;
    for (const std::string& name : stored_names) room += kFolderSize + kFileSize + name.size() + 1;
    return room;
}

std::string CabinetHeader(std::uint64_t cabinet_size, const std::vector<WrittenFolder>& folders,
                          const std::vector<WrittenFile>& files, const SetLinks& links) {
    // Disk labels are left empty: the names are what readers follow.
    std::string names;
    if (!links.previous.empty()) names += links.previous + '\0' + '\0';
    if (!links.next.empty()) names += links.next + '\0' + '\0';
    std::uint64_t files_offset = kHeaderSize + names.size() + kFolderSize * folders.size();
    std::string h(reinterpret_cast<const char*>(kSignature), sizeof kSignature);
    io::PutLe32(h, 0);
    io::PutLe32(h, static_cast<std::uint32_t>(cabinet_size));
    io::PutLe32(h, 0);
    io::PutLe32(h, static_cast<std::uint32_t>(files_offset));
    io::PutLe32(h, 0);
    h += static_cast<char>(kMinorVersion);
    h += static_cast<char>(kMajorVersion);
    io::PutLe16(h, static_cast<std::uint16_t>(folders.size()));
    io::PutLe16(h, static_cast<std::uint16_t>(files.size()));
    io::PutLe16(h, static_cast<std::uint16_t>((links.previous.empty() ? 0 : kFlagPrevious) |
                                              (links.next.empty() ? 0 : kFlagNext)));
    io::PutLe16(h, links.set_id);
    io::PutLe16(h, links.index);
    h += names;
    for (const WrittenFolder& folder : folders) {
        io::PutLe32(h, static_cast<std::uint32_t>(folder.offset));
        io::PutLe16(h, folder.blocks);
        io::PutLe16(h, folder.type);
    }
    for (const WrittenFile& file : files) {
        io::PutLe32(h, file.size);
        io::PutLe32(h, file.folder_offset);
        io::PutLe16(h, file.folder);
        io::PutLe16(h, file.date);
        io::PutLe16(h, file.time);
        io::PutLe16(h, file.attributes);
        h += file.name;
        h += '\0';
    }
    return h;
}

FolderEncoder::FolderEncoder(std::uint16_t type, int level)
    : encoder_(MakeFrameEncoder(type, level)) {
    current_.resize(kMaxBlockData);
}

std::uint16_t FolderEncoder::Encode(io::RandomInput& data, std::uint64_t size,
                                    io::RandomOutput& out, std::uint64_t* read) {
    if (size > kMaxFolderData)
        throw io::Error(io::Fault::kBrokenData, "a cabinet's folder holds at most 2 GiB");
    if (encoder_) encoder_->Reset();
    frames_.clear();  // left by a call that failed
    std::uint16_t blocks = 0;
    std::uint64_t at = 0;
    while (at < size) {
        std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kMaxBlockData, size - at));
        std::ptrdiff_t got = data.read_at(at, current_.data(), want);
        if (got < 0) throw io::Error(io::Fault::kRead, "cannot read the file");
        if (got == 0) break;
        std::span<const std::uint8_t> block(current_.data(), static_cast<std::size_t>(got));
        at += block.size();
        if (encoder_) {
            // LZX hands frames out once their block is settled, which may be some frames on.
            encoder_->Encode(block, frames_);
            blocks += WriteFrames(out);
        } else {
            WriteDataBlock(block, block.size(), out);
            ++blocks;
        }
        if (block.size() < want) break;  // the file ended: only the last frame may be short
    }
    if (encoder_) {
        encoder_->Finish(frames_);
        blocks += WriteFrames(out);
    }
    *read = at;
    return blocks;
}

std::uint16_t FolderEncoder::WriteFrames(io::RandomOutput& out) {
    for (const codecs::PackedFrame& frame : frames_) WriteDataBlock(frame.bytes, frame.size, out);
    auto written = static_cast<std::uint16_t>(frames_.size());
    frames_.clear();
    return written;
}

void WriteDataBlock(std::span<const std::uint8_t> packed, std::size_t unpacked,
                    io::RandomOutput& out) {
    std::uint8_t h[kDataSize];
    const auto packed_size = static_cast<std::uint16_t>(packed.size());
    const auto unpacked_size = static_cast<std::uint16_t>(unpacked);
    io::StoreLe32(h, BlockChecksum(packed.data(), packed.size(), packed_size, unpacked_size));
    io::StoreLe16(h + 4, packed_size);
    io::StoreLe16(h + 6, unpacked_size);
    if (!out.write(h, sizeof h) || !out.write(packed.data(), packed.size()))
        throw io::Error(io::Fault::kWrite, "cannot write the cabinet");
}

}  // namespace quorvex6::backend::cab
