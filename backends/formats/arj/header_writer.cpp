#include "formats/arj/header_writer.h"

#include <algorithm>
#include <cstring>

#include "common/dos_time.h"
#include "io/byte_order.h"
#include "io/crc32.h"
#include "io/fault.h"

namespace quorvex6::backend::arj {

namespace {

// arj 3.10 writes its version and, for everything but UNIX special files, the oldest one that
// can extract the entry.
constexpr std::uint8_t kArchiverVersion = 11;
constexpr std::uint8_t kPlainNeededVersion = 1;
constexpr std::uint8_t kSpecialNeededVersion = 11;
// Fixed parts: the main header's 30 fields and 4 bytes of protection data; an entry's 30
// fields and the resume position, access and creation times and a reserved word.
constexpr std::size_t kMainFirstSize = 34;
constexpr std::size_t kLocalFirstSize = 46;
constexpr std::size_t kAccessTimeField = 34;
constexpr std::size_t kCreationTimeField = 38;
// Unix times and mode kinds, as arj's UNIX build stores them.
constexpr std::uint16_t kUnixRegularKind = 0x1000;
constexpr std::uint16_t kUnixSpecialKind = 0x4000;

std::uint32_t StoredTime(std::int64_t time, std::uint8_t host) {
    if (UnixHost(host))
        return static_cast<std::uint32_t>(std::clamp<std::int64_t>(time, 0, UINT32_MAX));
    const DosDateTime dos = ToDosDateTime(time);
    return static_cast<std::uint32_t>(dos.date) << 16 | dos.time;
}

// The basic header (fixed part, name, comment) between its mark and size and its CRC-32,
// then the extended headers and their end.
std::vector<std::uint8_t> Assemble(const std::vector<std::uint8_t>& fixed, const std::string& name,
                                   const std::string& comment,
                                   const std::vector<std::vector<std::uint8_t>>& extended) {
    const std::size_t basic = fixed.size() + name.size() + 1 + comment.size() + 1;
    if (basic > kMaxBasicSize) throw io::Error(io::Fault::kNameTooLong, "name too long: " + name);
    std::size_t total = kLeadSize + basic + kCrcSize + 2;
    for (const std::vector<std::uint8_t>& e : extended) total += 2 + e.size() + kCrcSize;
    std::vector<std::uint8_t> out(total, 0);
    std::uint8_t* p = out.data();
    const auto put = [&p](const void* bytes, std::size_t size) {
        if (size > 0) std::memcpy(p, bytes, size);
        p += size;
    };
    const auto put_crc = [&p](const std::uint8_t* from) {
        io::StoreLe32(p, io::Crc32(0, from, static_cast<std::size_t>(p - from)));
        p += kCrcSize;
    };
    put(kMark, sizeof kMark);
    io::StoreLe16(p, static_cast<std::uint16_t>(basic));
    p += 2;
    const std::uint8_t* basic_at = p;
    put(fixed.data(), fixed.size());
    put(name.data(), name.size() + 1);  // with its NUL
    put(comment.data(), comment.size() + 1);
    put_crc(basic_at);
    for (const std::vector<std::uint8_t>& e : extended) {
        io::StoreLe16(p, static_cast<std::uint16_t>(e.size()));
        p += 2;
        const std::uint8_t* at = p;
        put(e.data(), e.size());
        put_crc(at);
    }
    return out;  // the last two bytes, zero, end the extended headers
}

// A link's extended header: tag, "continues" byte, kind and length, the target.
std::vector<std::uint8_t> LinkHeader(const std::string& target) {
    const bool long_length = target.size() >= kSpecialLongLength;
    if (target.size() > UINT16_MAX - 8)
        throw io::Error(io::Fault::kNameTooLong, "link target too long: " + target);
    const std::size_t lead = long_length ? 5 : 3;
    std::vector<std::uint8_t> e(lead + target.size(), 0);
    e[0] = kTagUnixSpecial;
    const std::uint8_t kind = kSpecialSymlink << kSpecialKindShift;
    if (long_length) {
        e[2] = kind | kSpecialLongLength;
        io::StoreLe16(e.data() + 3, static_cast<std::uint16_t>(target.size()));
    } else {
        e[2] = static_cast<std::uint8_t>(kind | target.size());
    }
    if (!target.empty()) std::memcpy(e.data() + lead, target.data(), target.size());
    return e;
}

}  // namespace

std::vector<std::uint8_t> LocalHeader(const Entry& entry) {
    std::vector<std::uint8_t> b(kLocalFirstSize, 0);
    const bool special = entry.type == kTypeUnixSpecial;
    const std::uint32_t time = StoredTime(entry.mtime, entry.host);
    b[kFirstSizeField] = kLocalFirstSize;
    b[kVersionField] = kArchiverVersion;
    b[kNeededVersionField] = special ? kSpecialNeededVersion : kPlainNeededVersion;
    b[kHostField] = entry.host;
    b[kFlagsField] = entry.flags;
    b[kMethodField] = entry.method;
    b[kTypeField] = entry.type;
    b[kPasswordModifierField] = static_cast<std::uint8_t>(time);
    io::StoreLe32(b.data() + kTimeField, time);
    io::StoreLe32(b.data() + kPackedSizeField, static_cast<std::uint32_t>(entry.packed_size));
    io::StoreLe32(b.data() + kOriginalSizeField, static_cast<std::uint32_t>(entry.original_size));
    io::StoreLe32(b.data() + kDataCrcField, entry.crc);
    const std::size_t slash = entry.name.rfind('/');
    io::StoreLe16(b.data() + kNamePositionField,
                  static_cast<std::uint16_t>(slash == std::string::npos ? 0 : slash + 1));
    std::uint16_t mode = entry.mode;
    if (UnixHost(entry.host))
        mode = (mode & 07777) | (special ? kUnixSpecialKind : kUnixRegularKind);
    io::StoreLe16(b.data() + kModeField, mode);
    io::StoreLe32(b.data() + kAccessTimeField, time);
    io::StoreLe32(b.data() + kCreationTimeField, time);
    std::vector<std::vector<std::uint8_t>> extended;
    if (entry.link_target) extended.push_back(LinkHeader(*entry.link_target));
    return Assemble(b, entry.name, entry.comment, extended);
}

std::vector<std::uint8_t> MainHeader(const ArchiveFacts& facts) {
    std::vector<std::uint8_t> b(kMainFirstSize, 0);
    const std::uint32_t time = StoredTime(facts.time, facts.host);
    b[kFirstSizeField] = kMainFirstSize;
    b[kVersionField] = kArchiverVersion;
    b[kNeededVersionField] = kPlainNeededVersion;
    b[kHostField] = facts.host;
    b[kFlagsField] = kFlagPathSymbols;
    b[kTypeField] = kTypeMainHeader;
    b[kPasswordModifierField] = static_cast<std::uint8_t>(time);
    io::StoreLe32(b.data() + kTimeField, time);        // made
    io::StoreLe32(b.data() + kPackedSizeField, time);  // changed
    return Assemble(b, facts.name, facts.comment, {});
}

}  // namespace quorvex6::backend::arj
