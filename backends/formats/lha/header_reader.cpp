#include "formats/lha/header_reader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/dos_time.h"
#include "formats/lha/crc16.h"
#include "formats/lha/lha_format.h"
#include "formats/lha/names.h"
#include "io/byte_order.h"
#include "io/fault.h"

namespace quorvex6::backend::lha {

namespace {

[[noreturn]] void Broken(const char* what) { throw io::Error(io::Fault::kBrokenHeader, what); }

// The whole header or an Error: a read error, or an archive that ends inside it.
void ReadExact(io::RandomInput& in, std::uint64_t offset, std::uint8_t* data, std::size_t n) {
    std::ptrdiff_t got = in.read_at(offset, data, n);
    if (got < 0) throw io::Error(io::Fault::kRead, "cannot read a header");
    if (static_cast<std::size_t>(got) < n)
        throw io::Error(io::Fault::kBrokenData, "the archive ends inside a header");
}

// What the extended headers say, gathered before the entry is assembled.
struct Extended {
    std::optional<std::string> file;
    std::optional<std::string> folder;
    std::optional<std::uint32_t> code_page;
    std::optional<std::uint16_t> mode;  // Unix st_mode: kind and permission bits
    std::optional<std::uint64_t> packed;
    std::optional<std::uint64_t> original;
    std::optional<std::int64_t> mtime;
    std::optional<std::uint16_t> header_crc;
    std::size_t header_crc_at = 0;  // offset of the CRC field inside the header bytes
};

constexpr std::int64_t kFiletimeEpoch = 116444736000000000LL;  // 1970-01-01 in 100 ns units

void ApplyExtended(std::uint8_t type, const std::uint8_t* d, std::size_t n, std::size_t at,
                   Extended& ext, Entry& e) {
    switch (type) {
        case kExtHeaderCrc:
            if (n >= 2) {
                ext.header_crc = io::Le16(d);
                ext.header_crc_at = at;
            }
            break;
        case kExtFileName:
            ext.file = std::string(reinterpret_cast<const char*>(d), n);
            break;
        case kExtFolderName:
            ext.folder = std::string(reinterpret_cast<const char*>(d), n);
            break;
        case kExtAttributes:
            if (n >= 1) e.dos_attributes = d[0];
            break;
        case kExtWindowsTimes:
            if (n >= 16) {
                std::int64_t ft = static_cast<std::int64_t>(io::Le64(d + 8));
                if (ft > kFiletimeEpoch) ext.mtime = (ft - kFiletimeEpoch) / 10000000;
            }
            break;
        case kExtWideSizes:
            if (n >= 16) {
                ext.packed = io::Le64(d);
                ext.original = io::Le64(d + 8);
            }
            break;
        case kExtCodePage:
            if (n >= 4) ext.code_page = io::Le32(d);
            break;
        case kExtUnixMode:
            if (n >= 2) ext.mode = io::Le16(d);
            break;
        case kExtUnixOwner:
            if (n >= 4) {
                e.gid = io::Le16(d);
                e.uid = io::Le16(d + 2);
            }
            break;
        case kExtUnixTime:
            if (n >= 4 && !ext.mtime) ext.mtime = io::Le32(d);
            break;
        default:
            break;
    }
}

// Walks a chain of extended headers held in `bytes` from `pos`: each is type, data, and the
// size of the next one (16 or 32 bits wide). Returns false when a size leaves the buffer.
bool WalkExtended(const std::vector<std::uint8_t>& bytes, std::size_t pos, std::uint64_t first,
                  int size_width, std::size_t base, Extended& ext, Entry& e) {
    std::uint64_t next = first;
    while (next != 0) {
        if (next < static_cast<std::uint64_t>(1 + size_width) || next > bytes.size() - pos)
            return false;
        std::size_t n = static_cast<std::size_t>(next);
        const std::uint8_t* h = bytes.data() + pos;
        ApplyExtended(h[0], h + 1, n - 1 - static_cast<std::size_t>(size_width), base + pos + 1,
                      ext, e);
        next = size_width == 2 ? io::Le16(h + n - 2) : io::Le32(h + n - 4);
        pos += n;
    }
    return true;
}

// A -lhd- member with a link's mode is a link, named "name|target" (split at the first '|').
void FinishName(const std::string& raw_base, const Extended& ext, Entry& e) {
    NameSource source;
    source.folder = ext.folder.value_or("");
    source.file = ext.file.value_or(raw_base);
    source.path_in_base = !ext.file;
    source.os_id = e.os_id;
    source.code_page = ext.code_page;
    DecodedName decoded = DecodeName(source);
    e.name = std::move(decoded.path);
    e.utf8_name = decoded.utf8;
    if (ext.mode) e.unix_mode = *ext.mode & 07777;
    if (e.folder && ext.mode && (*ext.mode & kUnixKindMask) == kUnixLink) {
        e.folder = false;
        const std::size_t bar = e.name.find(kLinkBar);
        e.link_target = bar == std::string::npos ? std::string() : e.name.substr(bar + 1);
        if (bar != std::string::npos) e.name.resize(bar);
    }
    if (e.folder && !e.name.empty() && e.name.back() != '/') e.name += '/';
}

// The base header fields levels 2 and 3 share.
void ReadLevel23Base(const std::vector<std::uint8_t>& h, Entry& e) {
    e.packed_size = io::Le32(h.data() + kPackedSizeField);
    e.original_size = io::Le32(h.data() + kOriginalSizeField);
    e.mtime = io::Le32(h.data() + kTimeField);
    e.dos_attributes = h[kAttributeField];
    e.crc = io::Le16(h.data() + kDataCrcField);
    e.os_id = static_cast<char>(h[kOsField]);
}

// One byte of "-lh?-" or "-lz?-" may be damaged; the level is not trusted, so every level's way
// of giving the header size is tried.
bool DamagedMemberEndsAt(const std::uint8_t* h, std::uint64_t at, std::uint64_t end) {
    int method = (h[2] == '-') + (h[6] == '-') + (h[3] == 'l') + (h[4] == 'h' || h[4] == 'z');
    if (method < 3) return false;
    const std::uint64_t header_sizes[] = {h[kSizeField] + 2u, io::Le16(h),
                                          io::Le32(h + kLevel3SizeField)};  // levels 0/1, 2, 3
    for (std::uint64_t size : header_sizes) {
        const std::uint64_t next = at + size + io::Le32(h + kPackedSizeField);
        if (next == end || next + 1 == end) return true;
    }
    return false;
}

}  // namespace

bool LooksLikeHeader(io::RandomInput& in, std::uint64_t offset) {
    std::uint8_t h[kLevel01Base];
    if (in.read_at(offset, h, sizeof h) != static_cast<std::ptrdiff_t>(sizeof h)) return false;
    return LooksLikeHeader(h);
}

std::optional<std::uint64_t> FindDamagedHeader(io::RandomInput& in, std::uint64_t limit,
                                               std::uint64_t end) {
    constexpr std::size_t kBlock = 64 * 1024;
    std::vector<std::uint8_t> block(kBlock + kLeadBytes);
    limit = std::min(limit, end);
    for (std::uint64_t base = 0; base < limit; base += kBlock) {
        std::ptrdiff_t got = in.read_at(base, block.data(), block.size());
        if (got < static_cast<std::ptrdiff_t>(kLeadBytes)) break;
        const std::size_t last =
            std::min<std::size_t>(static_cast<std::size_t>(got) - kLeadBytes, kBlock - 1);
        for (std::size_t i = 0; i <= last && base + i < limit; ++i) {
            if (DamagedMemberEndsAt(block.data() + i, base + i, end)) return base + i;
        }
    }
    return std::nullopt;
}

bool ReadHeader(io::RandomInput& in, std::uint64_t offset, Entry& e) {
    e = Entry{};
    e.header_offset = offset;
    std::uint8_t first[kLeadBytes] = {};
    std::ptrdiff_t got = in.read_at(offset, first, sizeof first);
    if (got < 0) throw io::Error(io::Fault::kRead, "cannot read a header");
    if (got == 0 || first[kSizeField] == kEndMarker) return false;
    if (static_cast<std::size_t>(got) < kLevel01Base)
        throw io::Error(io::Fault::kBrokenData, "the archive ends inside a header");
    if (!MethodLike(first + kMethodField)) Broken("a header without a method");
    e.method.assign(reinterpret_cast<const char*>(first + kMethodField + 1), 3);
    e.level = first[kLevelField];
    e.folder = e.method == "lhd";
    Extended ext;
    std::vector<std::uint8_t> h;
    std::string raw_name;

    if (e.level == 0 || e.level == 1) {
        std::size_t size = static_cast<std::size_t>(first[kSizeField]) + 2;
        std::size_t name_len = first[kNameLengthField];
        if (size < kLevel01Base + name_len + 2) Broken("a header that cannot be what it claims");
        h.resize(size);
        ReadExact(in, offset, h.data(), size);
        std::uint8_t sum = 0;
        for (std::size_t i = 2; i < size; ++i) sum = static_cast<std::uint8_t>(sum + h[i]);
        if (sum != h[kChecksumField])
            throw io::Error(io::Fault::kHeaderChecksum, "header checksum mismatch");
        e.packed_size = io::Le32(h.data() + kPackedSizeField);
        e.original_size = io::Le32(h.data() + kOriginalSizeField);
        e.mtime = backend::FromDosDateTime(
            {io::Le16(h.data() + kTimeField + 2), io::Le16(h.data() + kTimeField)});
        e.dos_attributes = h[kAttributeField];
        raw_name.assign(reinterpret_cast<const char*>(h.data() + kLevel01Base), name_len);
        std::size_t after = kLevel01Base + name_len;
        e.crc = io::Le16(h.data() + after);
        after += 2;
        if (e.level == 0) {
            if (size >= after + 12 && h[after] == 'U') {
                e.os_id = 'U';
                e.mtime = io::Le32(h.data() + after + 2);
                ext.mode = io::Le16(h.data() + after + 6);
                e.uid = io::Le16(h.data() + after + 8);
                e.gid = io::Le16(h.data() + after + 10);
            } else if (size > after) {
                e.os_id = static_cast<char>(h[after]);
            }
            e.data_offset = offset + size;
        } else {
            if (size < after + 3) Broken("a header that cannot be what it claims");
            e.os_id = static_cast<char>(h[after]);
            // Level 1 extended headers follow the base header and count as packed data.
            std::uint64_t pos = offset + size;
            std::uint64_t next = io::Le16(h.data() + size - 2);
            std::uint64_t ext_total = 0;
            std::vector<std::uint8_t> x;
            while (next != 0) {
                if (next < 3 || ext_total + next > kMaxHeaderSize)
                    Broken("a header that cannot be what it claims");
                x.resize(static_cast<std::size_t>(next));
                ReadExact(in, pos, x.data(), x.size());
                ApplyExtended(x[0], x.data() + 1, x.size() - 3, 0, ext, e);
                ext_total += next;
                pos += next;
                next = io::Le16(x.data() + x.size() - 2);
            }
            // A header CRC here would cover bytes outside `h`; level 1 has its checksum instead.
            ext.header_crc.reset();
            if (ext_total > e.packed_size) Broken("a header that cannot be what it claims");
            e.packed_size -= ext_total;
            e.data_offset = pos;
        }
    } else if (e.level == 2) {
        std::size_t size = io::Le16(first);
        if (size < kLevel2Base) Broken("a header that cannot be what it claims");
        h.resize(size);
        ReadExact(in, offset, h.data(), size);
        ReadLevel23Base(h, e);
        if (!WalkExtended(h, kLevel2Base, io::Le16(h.data() + kLevel2Base - 2), 2, 0, ext, e))
            Broken("an extended header runs past its header");
        e.data_offset = offset + size;
    } else if (e.level == 3) {
        if (io::Le16(first) != kLevel3WordSize) Broken("a header that cannot be what it claims");
        std::uint8_t more[kLevel3Base];
        ReadExact(in, offset, more, sizeof more);
        std::uint32_t size = io::Le32(more + kLevel3SizeField);
        if (size < kLevel3Base || size > kMaxHeaderSize)
            Broken("a header that cannot be what it claims");
        h.resize(size);
        ReadExact(in, offset, h.data(), size);
        ReadLevel23Base(h, e);
        if (!WalkExtended(h, kLevel3Base, io::Le32(h.data() + kLevel3Base - 4), 4, 0, ext, e))
            Broken("an extended header runs past its header");
        e.data_offset = offset + size;
    } else {
        Broken("a header that cannot be what it claims");
    }

    if (ext.header_crc) {
        std::vector<std::uint8_t> copy = h;
        copy[ext.header_crc_at] = 0;
        copy[ext.header_crc_at + 1] = 0;
        if (Crc16Update(0, copy.data(), copy.size()) != *ext.header_crc)
            throw io::Error(io::Fault::kHeaderChecksum, "header CRC mismatch");
    }
    if (ext.packed) e.packed_size = *ext.packed;
    if (ext.original) e.original_size = *ext.original;
    if (ext.mtime) e.mtime = *ext.mtime;
    FinishName(raw_name, ext, e);
    if (e.data_offset > in.size() || e.packed_size > in.size() - e.data_offset)
        throw io::Error(io::Fault::kBrokenData, "the archive ends inside member " + e.name);
    return true;
}

}  // namespace quorvex6::backend::lha
