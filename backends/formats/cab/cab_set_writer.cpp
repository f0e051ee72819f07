#include "formats/cab/cab_set_writer.h"

#include <algorithm>
#include <vector>

#include "formats/cab/cab_format.h"
#include "io/byte_order.h"
#include "io/fault.h"

namespace quorvex6::backend::cab {

namespace {

struct Block {
    std::uint64_t offset = 0;  // of its data in the data file
    std::uint16_t packed = 0, unpacked = 0;
};

// Part of a block's packed bytes; the last part of a block carries its size.
struct Piece {
    std::size_t block = 0;
    std::uint32_t from = 0, size = 0;
    bool last = false;
};

struct FolderPart {
    std::size_t folder = 0;
    bool from_previous = false, to_next = false;
    std::vector<Piece> pieces;
};

using PlannedCabinet = std::vector<FolderPart>;

[[noreturn]] void TooSmall() {
    throw io::Error(io::Fault::kWrite, "the cabinets of a set are too small for their headers");
}

std::vector<std::vector<Block>> ReadBlocks(io::RandomInput& data,
                                           const std::vector<WrittenFolder>& folders) {
    std::vector<std::vector<Block>> blocks(folders.size());
    for (std::size_t f = 0; f < folders.size(); ++f) {
        std::uint64_t at = folders[f].offset;
        for (std::uint16_t b = 0; b < folders[f].blocks; ++b) {
            std::uint8_t h[kDataSize];
            if (data.read_at(at, h, sizeof h) != static_cast<std::ptrdiff_t>(sizeof h))
                throw io::Error(io::Fault::kRead, "cannot read the folders' data");
            Block block{at + kDataSize, io::Le16(h + 4), io::Le16(h + 6)};
            blocks[f].push_back(block);
            at = block.offset + block.packed;
        }
    }
    return blocks;
}

// How many of `files` a cabinet lists in a folder's part: one that runs on from the previous
// cabinet lists only the files with data, the empty ones being listed where it starts.
std::size_t Listed(const std::vector<WrittenFile>& files, bool from_previous) {
    if (!from_previous) return files.size();
    return static_cast<std::size_t>(std::count_if(
        files.begin(), files.end(), [](const WrittenFile& file) { return file.size != 0; }));
}

class Planner {
  public:
    Planner(std::uint64_t limit, const SetNaming& naming, const SetContents& contents)
        : limit_(limit), naming_(naming), files_(contents.files) {
        for (const std::vector<WrittenFile>& files : files_) {
            if (files.size() > kMaxFiles)
                throw SetTooLarge("a folder has more files than a cabinet lists (65535)");
            std::uint64_t room = kFolderSize;
            for (const WrittenFile& file : files) room += kFileSize + file.name.size() + 1;
            folder_room_.push_back(room);
        }
        NewCabinet();
    }

    std::vector<PlannedCabinet> Plan(const std::vector<std::vector<Block>>& blocks) {
        for (std::size_t f = 0; f < blocks.size(); ++f) {
            if (Free() < folder_room_[f] + kDataSize + 1 ||
                listed_ + files_[f].size() > kMaxFiles || plan_.back().size() == kMaxFolders)
                NewCabinet();
            OpenPart(f, false);
            for (std::size_t b = 0; b < blocks[f].size(); ++b) {
                std::uint32_t from = 0;
                while (true) {
                    if (Free() < kDataSize + 1) {
                        plan_.back().back().to_next = true;
                        NewCabinet();
                        OpenPart(f, true);
                    }
                    std::uint64_t rest = blocks[f][b].packed - from;
                    if (kDataSize + rest <= Free()) {
                        Add({b, from, static_cast<std::uint32_t>(rest), true});
                        break;
                    }
                    auto take = static_cast<std::uint32_t>(Free() - kDataSize);
                    Add({b, from, take, false});
                    from += take;
                }
            }
        }
        return std::move(plan_);
    }

  private:
    std::uint64_t Free() const { return limit_ - used_; }
    void NewCabinet() {
        std::size_t k = plan_.size();
        if (k == kMaxCabinets) throw SetTooLarge("a set holds at most 65535 cabinets");
        plan_.emplace_back();
        if (naming_.name_of(k + 1).size() > kMaxName)
            throw io::Error(io::Fault::kNameTooLong, "the cabinets' names are too long for a set");
        // Room for both names even in the last cabinet, which is known only at the end.
        used_ = kHeaderSize + naming_.name_of(k + 1).size() + 2;
        listed_ = 0;
        if (k > 0) used_ += naming_.name_of(k - 1).size() + 2;
        if (used_ + kDataSize + 1 > limit_) TooSmall();
    }
    void OpenPart(std::size_t folder, bool from_previous) {
        used_ += folder_room_[folder];
        listed_ += Listed(files_[folder], from_previous);
        if (used_ + kDataSize + 1 > limit_) TooSmall();
        plan_.back().push_back({folder, from_previous, false, {}});
    }
    void Add(const Piece& piece) {
        used_ += kDataSize + piece.size;
        plan_.back().back().pieces.push_back(piece);
    }

    std::uint64_t limit_;
    const SetNaming& naming_;
    const std::vector<std::vector<WrittenFile>>& files_;
    std::vector<std::uint64_t> folder_room_;
    std::vector<PlannedCabinet> plan_;
    std::uint64_t used_ = 0;
    std::size_t listed_ = 0;  // files in the cabinet
};

}  // namespace

std::uint64_t SmallestSetCabinet(std::size_t longest_name, std::size_t longest_link) {
    return kHeaderSize + 2 * (longest_link + 2) + kFolderSize + kFileSize + longest_name + 1 +
           kDataSize + 1;
}

std::size_t WriteCabinetSet(io::RandomInput& data, const SetContents& contents, std::uint64_t limit,
                            const SetNaming& naming) {
    if (limit > kMaxSetCabinet)
        throw io::Error(io::Fault::kWrite, "the cabinets of a set hold at most 2 GiB each");
    std::vector<std::vector<Block>> blocks = ReadBlocks(data, contents.folders);
    std::vector<PlannedCabinet> plan = Planner(limit, naming, contents).Plan(blocks);
    // Set IDs tell sets apart; one taken from the contents keeps cabinets reproducible.
    auto set_id = static_cast<std::uint16_t>((contents.id_seed * 2654435761u) >> 16);
    std::vector<std::uint8_t> bytes;
    for (std::size_t k = 0; k < plan.size(); ++k) {
        SetLinks links{set_id, static_cast<std::uint16_t>(k), k > 0 ? naming.name_of(k - 1) : "",
                       k + 1 < plan.size() ? naming.name_of(k + 1) : ""};
        std::vector<WrittenFolder> folders;
        std::vector<WrittenFile> files;
        for (std::size_t p = 0; p < plan[k].size(); ++p) {
            const FolderPart& part = plan[k][p];
            folders.push_back({0, static_cast<std::uint16_t>(part.pieces.size()),
                               contents.folders[part.folder].type});
            for (const WrittenFile& file : contents.files[part.folder]) {
                if (file.size == 0 && part.from_previous) continue;  // listed where it starts
                std::uint16_t index = static_cast<std::uint16_t>(p);
                if (file.size != 0 && part.from_previous)
                    index = part.to_next ? kContinuedBoth : kContinuedFromPrevious;
                else if (file.size != 0 && part.to_next)
                    index = kContinuedToNext;
                files.push_back(file);
                files.back().folder = index;
            }
        }
        std::uint64_t at = CabinetHeader(0, folders, files, links).size();
        for (std::size_t p = 0; p < plan[k].size(); ++p) {
            folders[p].offset = at;
            for (const Piece& piece : plan[k][p].pieces) at += kDataSize + piece.size;
        }
        std::string header = CabinetHeader(at, folders, files, links);
        io::RandomOutput& out = naming.output_of(k);
        if (!out.write(header.data(), header.size()))
            throw io::Error(io::Fault::kWrite, "cannot write the cabinet");
        for (const FolderPart& part : plan[k]) {
            for (const Piece& piece : part.pieces) {
                const Block& block = blocks[part.folder][piece.block];
                bytes.resize(kDataSize + piece.size);
                if (data.read_at(block.offset + piece.from, bytes.data() + kDataSize, piece.size) !=
                    static_cast<std::ptrdiff_t>(piece.size))
                    throw io::Error(io::Fault::kRead, "cannot read the folders' data");
                const auto unpacked = static_cast<std::uint16_t>(piece.last ? block.unpacked : 0);
                const auto packed = static_cast<std::uint16_t>(piece.size);
                io::StoreLe32(bytes.data(), BlockChecksum(bytes.data() + kDataSize, piece.size,
                                                          packed, unpacked));
                io::StoreLe16(bytes.data() + 4, packed);
                io::StoreLe16(bytes.data() + 6, unpacked);
                if (!out.write(bytes.data(), bytes.size()))
                    throw io::Error(io::Fault::kWrite, "cannot write the cabinet");
            }
        }
    }
    return plan.size();
}

}  // namespace quorvex6::backend::cab
