#include "formats/cab/cab_cabinet.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/cab/cab_format.h"
#include "io/byte_order.h"
#include "io/fault.h"

namespace quorvex6::backend::cab {

namespace {

[[noreturn]] void Broken(const std::string& what) {
    throw io::Error(io::Fault::kBrokenHeader, "broken cabinet header: " + what);
}

// Reads the header area front to back, every read checked against the file's end. The
// records are small and a cabinet may list 65535 files: they are read a window at a time.
class HeaderCursor {
  public:
    HeaderCursor(io::RandomInput& input, std::uint64_t at) : input_(input), at_(at) {}

    void Read(std::uint8_t* data, std::size_t n, const char* what) {
        if (Available(n) != n) Broken(std::string(what) + " cut short");
        std::memcpy(data, Here(), n);
        at_ += n;
    }
    void Skip(std::uint64_t n) { at_ += n; }
    // A NUL-terminated string of at most kMaxName bytes.
    std::string String(const char* what) {
        const std::size_t got = Available(kMaxName + 1);
        const std::uint8_t* begin = Here();
        const std::uint8_t* end = std::find(begin, begin + got, 0);
        if (end == begin + got) Broken(std::string(what) + " without its end");
        at_ += static_cast<std::uint64_t>(end - begin) + 1;
        return std::string(reinterpret_cast<const char*>(begin),
                           static_cast<std::size_t>(end - begin));
    }
    std::uint64_t at() const { return at_; }
    void Seek(std::uint64_t at) { at_ = at; }

  private:
    static constexpr std::size_t kWindow = 64 << 10;

    // How many of the `n` bytes from the cursor on the window holds, fewer only at the file's
    // end; reads the window there when it lacks them.
    std::size_t Available(std::size_t n) {
        if (at_ < window_at_ || at_ + n > window_at_ + window_.size()) {
            window_.resize(std::max(n, kWindow));
            std::ptrdiff_t got = input_.read_at(at_, window_.data(), window_.size());
            if (got < 0) throw io::Error(io::Fault::kRead, "cannot read the cabinet");
            window_.resize(static_cast<std::size_t>(got));
            window_at_ = at_;
        }
        return static_cast<std::size_t>(
            std::min<std::uint64_t>(n, window_at_ + window_.size() - at_));
    }
    const std::uint8_t* Here() const { return window_.data() + (at_ - window_at_); }

    io::RandomInput& input_;
    std::uint64_t at_;
    std::vector<std::uint8_t> window_;
    std::uint64_t window_at_ = 0;
};

}  // namespace

Cabinet ReadCabinet(io::RandomInput& input, std::uint64_t start) {
    Cabinet cab;
    cab.start = start;
    HeaderCursor cursor(input, start);
    std::uint8_t h[kHeaderSize];
    cursor.Read(h, sizeof h, "CFHEADER");
    if (std::memcmp(h, kSignature, sizeof kSignature) != 0)
        throw io::Error(io::Fault::kNotArchive, "not a cabinet");
    if (h[kHeaderFieldMajor] != kMajorVersion) Broken("unknown version");
    cab.size = io::Le32(h + kHeaderFieldCabinetSize);
    std::uint32_t files_offset = io::Le32(h + kHeaderFieldFilesOffset);
    std::uint16_t folders = io::Le16(h + kHeaderFieldFolders);
    std::uint16_t files = io::Le16(h + kHeaderFieldFiles);
    cab.flags = io::Le16(h + kHeaderFieldFlags);
    cab.set_id = io::Le16(h + kHeaderFieldSetId);
    cab.index = io::Le16(h + kHeaderFieldIndex);
    if (folders == 0) Broken("no folders");
    if (files == 0) Broken("no files");

    if (cab.flags & kFlagReserve) {
        std::uint8_t r[kReserveSizesSize];
        cursor.Read(r, sizeof r, "reserve sizes");
        std::uint16_t header_reserve = io::Le16(r);
        if (header_reserve > kMaxHeaderReserve) Broken("header reserve too large");
        cab.folder_reserve = r[2];
        cab.data_reserve = r[3];
        cursor.Skip(header_reserve);
    }
    if (cab.flags & kFlagPrevious) {
        cab.previous_name = cursor.String("previous cabinet name");
        cursor.String("previous disk label");
    }
    if (cab.flags & kFlagNext) {
        cab.next_name = cursor.String("next cabinet name");
        cursor.String("next disk label");
    }

    cab.folders.resize(folders);
    for (CabFolder& folder : cab.folders) {
        std::uint8_t f[kFolderSize];
        cursor.Read(f, sizeof f, "CFFOLDER");
        cursor.Skip(cab.folder_reserve);
        folder.data_offset = start + io::Le32(f);
        folder.blocks = io::Le16(f + 4);
        folder.type = io::Le16(f + 6);
        if (folder.data_offset > input.size()) Broken("folder data past the end");
    }

    cursor.Seek(start + files_offset);
    cab.files.resize(files);
    for (CabFile& file : cab.files) {
        std::uint8_t f[kFileSize];
        cursor.Read(f, sizeof f, "CFFILE");
        file.size = io::Le32(f);
        file.folder_offset = io::Le32(f + 4);
        file.folder = io::Le16(f + 8);
        file.date = io::Le16(f + 10);
        file.time = io::Le16(f + 12);
        file.attributes = io::Le16(f + 14);
        file.raw_name = cursor.String("file name");
        if (file.raw_name.empty()) Broken("empty file name");
        if (file.folder < kContinuedFromPrevious && file.folder >= folders)
            Broken("file in folder " + std::to_string(file.folder) + " of " +
                   std::to_string(folders));
        if (std::uint64_t{file.folder_offset} + file.size > kMaxFolderData)
            Broken("file past the largest folder");
    }
    return cab;
}

}  // namespace quorvex6::backend::cab
