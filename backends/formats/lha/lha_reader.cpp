#include "formats/lha/lha_reader.h"

#include <algorithm>

#include "formats/lha/header_reader.h"
#include "formats/lha/lha_format.h"
#include "formats/lha/member_io.h"

namespace quorvex6::backend::lha {

namespace {

// Self-extractors are programs: MS-DOS/Windows, ELF and Amiga executables.
bool StartsAProgram(io::RandomInput& in) {
    std::uint8_t magic[4] = {};
    const std::ptrdiff_t got = in.read_at(0, magic, sizeof magic);
    if (got >= 2 && magic[0] == 'M' && magic[1] == 'Z') return true;
    if (got < 4) return false;
    const std::uint8_t elf[4] = {0x7f, 'E', 'L', 'F'};
    const std::uint8_t amiga[4] = {0x00, 0x00, 0x03, 0xf3};
    return std::equal(magic, magic + 4, elf) || std::equal(magic, magic + 4, amiga);
}

std::string DamagedHeaderAt(std::uint64_t offset) {
    return "damaged header at offset " + std::to_string(offset) + ": its member is lost";
}

// The search for the first header steps over a damaged one to the next member.
std::string JudgeSkipped(io::RandomInput& in, std::uint64_t start) {
    if (std::optional<std::uint64_t> at = FindDamagedHeader(in, start, start))
        return DamagedHeaderAt(*at);
    if (!StartsAProgram(in))
        return std::to_string(start) +
               " bytes before the first header are no program: a damaged header?";
    return "";
}

}  // namespace

Reader::Reader(io::RandomInput& in, bool search_all) : in_(in) {
    const std::uint64_t size = in.size();
    const std::uint64_t limit = search_all ? size : std::min(size, kSfxSearchLimit);
    // A damaged first header still makes an archive, one that reports its damage.
    const std::optional<std::uint64_t> start = FindArchiveStart(in, limit);
    if (!start) {
        if (std::optional<std::uint64_t> at = FindDamagedHeader(in, limit, size))
            throw io::Error(io::Fault::kBrokenHeader, DamagedHeaderAt(*at));
        throw io::Error(io::Fault::kNotArchive, "not an LHA archive");
    }
    start_ = *start;
    if (start_ > 0) start_damage_ = JudgeSkipped(in, start_);
    std::uint64_t at = start_;
    try {
        for (Entry e; ReadHeader(in, at, e);) {
            entries_.push_back(std::move(e));
            at = entries_.back().next_offset();
        }
    } catch (const io::Error& error) {
        // The members before the damage stay readable; a failing input is no damage.
        if (error.fault() == io::Fault::kRead) throw;
        end_error_ = error;
    }
}

void Reader::Decode(const Entry& entry, io::Sink& out) { DecodeMember(in_, entry, out); }

void Reader::CopyRaw(const Entry& entry, io::RandomOutput& out) { CopyMember(in_, entry, out); }

}  // namespace quorvex6::backend::lha
