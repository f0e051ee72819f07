#include "unlha32/archive.h"

#include <algorithm>

#include "common/result.h"
#include "formats/lha/header_reader.h"

namespace quorvex6::unlha32 {

using formats::lha::Entry;
using formats::lha::Status;
namespace result = backend::result;

int32_t ResultFor(Status status) {
    switch (status) {
        case Status::ok:
        case Status::end:
            return result::kSuccess;
        case Status::broken_header:
            return result::kBrokenHeader;
        case Status::header_crc:
            return result::kHeaderCrc;
        case Status::truncated:
            return result::kBrokenData;
        case Status::unsupported:
            return result::kMethod;
        case Status::broken_data:
            return result::kBrokenData;
        case Status::crc_mismatch:
            return result::kCrcMismatch;
        case Status::read_failed:
            return result::kReadError;
        case Status::write_failed:
            return result::kWriteError;
    }
    return result::kBrokenData;
}

namespace {

bool ValidAt(FileInput& in, uint64_t offset) {
    if (!formats::lha::looks_like_header(in, offset)) return false;
    Entry e;
    return formats::lha::read_header(in, offset, e) == Status::ok;
}

// Self-extractors are programs: MS-DOS/Windows, ELF and Amiga executables.
bool StartsAProgram(FileInput& in) {
    uint8_t magic[4] = {};
    const std::ptrdiff_t got = in.read_at(0, magic, sizeof magic);
    if (got >= 2 && magic[0] == 'M' && magic[1] == 'Z') return true;
    if (got < 4) return false;
    const uint8_t elf[4] = {0x7f, 'E', 'L', 'F'};
    const uint8_t amiga[4] = {0x00, 0x00, 0x03, 0xf3};
    return std::equal(magic, magic + 4, elf) || std::equal(magic, magic + 4, amiga);
}

std::string DamagedHeaderAt(uint64_t offset) {
    return "damaged header at offset " + std::to_string(offset) + ": its member is lost";
}

// The search for the first header steps over a damaged one to the next member.
std::string JudgeSkipped(FileInput& in, uint64_t start) {
    if (std::optional<uint64_t> at = formats::lha::find_damaged_header(in, start, start))
        return DamagedHeaderAt(*at);
    if (!StartsAProgram(in))
        return std::to_string(start) +
               " bytes before the first header are no program: a damaged header?";
    return "";
}

}  // namespace

Archive::Archive(const std::string& path, bool search_all) : path_(path) {
    try {
        input_ = std::make_unique<FileInput>(path);
    } catch (const backend::Failure& f) {
        throw backend::Failure(result::kCannotOpenArchive,
                               std::string("cannot open archive ") + path);
    }
    FileInput& in = *input_;
    const uint64_t size = in.size();
    uint64_t limit = search_all ? size : std::min<uint64_t>(size, kSfxSearchLimit);
    // A damaged first header still makes an archive, one that reports its damage; a lone end
    // marker is the archive whose members were all deleted.
    uint8_t first = 1;
    bool found = formats::lha::looks_like_header(in, 0) ||
                 (size == 1 && in.read_at(0, &first, 1) == 1 && first == 0);
    std::vector<uint8_t> block(64 * 1024 + 8);
    for (uint64_t base = 0; base + 22 <= limit && !found; base += 64 * 1024) {
        std::ptrdiff_t got = in.read_at(base, block.data(), block.size());
        if (got < 7) break;
        // A header's method field "-??-" sits two bytes in; test only where that can start.
        for (std::ptrdiff_t i = 0; i + 7 <= got && i < 64 * 1024 && !found; ++i) {
            if (block[static_cast<size_t>(i) + 2] != '-' ||
                block[static_cast<size_t>(i) + 6] != '-')
                continue;
            if (ValidAt(in, base + static_cast<uint64_t>(i))) {
                start_ = base + static_cast<uint64_t>(i);
                found = true;
            }
        }
    }
    if (!found) {
        if (std::optional<uint64_t> at = formats::lha::find_damaged_header(in, limit, size))
            throw backend::Failure(result::kBrokenHeader, path + ": " + DamagedHeaderAt(*at));
        throw backend::Failure(result::kNotValidArchive, path + " is not an LHA archive");
    }
    if (start_ > 0) start_damage_ = JudgeSkipped(in, start_);
    uint64_t at = start_;
    for (;;) {
        Entry e;
        Status s = formats::lha::read_header(in, at, e);
        if (s == Status::end) break;
        if (s != Status::ok) {
            end_status_ = s;
            break;
        }
        entries_.push_back(std::move(e));
        at = entries_.back().next_offset();
    }
    in.Rethrow();
}

backend::EntryFacts FactsOf(const Entry& e) {
    backend::EntryFacts f;
    f.name = e.name;
    f.original_size = e.original_size;
    f.compressed_size = e.packed_size;
    f.crc = e.crc;
    switch (e.os_id) {
        case 'U':
            f.os_type = backend::kOsUnix;
            break;
        case 'W':
        case 'w':
            f.os_type = backend::kOsWindowsNt;
            break;
        default:
            f.os_type = backend::kOsDos;
            break;
    }
    f.mtime = e.mtime;
    f.folder = e.folder;
    f.read_only = e.unix_mode ? (*e.unix_mode & 0200) == 0
                              : (e.dos_attributes & formats::lha::kDosReadOnly) != 0;
    f.hidden = (e.dos_attributes & formats::lha::kDosHidden) != 0;
    f.system = (e.dos_attributes & formats::lha::kDosSystem) != 0;
    f.archive_bit = (e.dos_attributes & formats::lha::kDosArchive) != 0;
    f.method = "-" + e.method + "-";
    return f;
}

}  // namespace quorvex6::unlha32
