#include "formats/lha/header_reader.h"

#include "common/dos_time.h"
#include "formats/lha/crc16.h"
#include "formats/lha/names.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace quorvex6::formats::lha {

namespace {

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint64_t u64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(u32(p)) | static_cast<std::uint64_t>(u32(p + 4)) << 32;
}

bool read_exact(ByteInput& in, std::uint64_t offset, std::uint8_t* data, std::size_t n, Status& status) {
    std::ptrdiff_t got = in.read_at(offset, data, n);
    if (got < 0) {
        status = Status::read_failed;
        return false;
    }
    if (static_cast<std::size_t>(got) < n) {
        status = Status::truncated;
        return false;
    }
    return true;
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

constexpr std::uint16_t kUnixKindMask = 0170000;
constexpr std::uint16_t kUnixLink = 0120000;

constexpr std::int64_t kFiletimeEpoch = 116444736000000000LL;  // 1970-01-01 in 100 ns units

void apply_extended(std::uint8_t type, const std::uint8_t* d, std::size_t n, std::size_t at,
                    Extended& ext, Entry& e) {
    switch (type) {
        case 0x00:
            if (n >= 2) {
                ext.header_crc = u16(d);
                ext.header_crc_at = at;
            }
            break;
        case 0x01: ext.file = std::string(reinterpret_cast<const char*>(d), n); break;
        case 0x02: ext.folder = std::string(reinterpret_cast<const char*>(d), n); break;
        case 0x40:
            if (n >= 1) e.dos_attributes = d[0];
            break;
        case 0x41:
            if (n >= 16) {
                std::int64_t ft = static_cast<std::int64_t>(u64(d + 8));
                if (ft > kFiletimeEpoch) ext.mtime = (ft - kFiletimeEpoch) / 10000000;
            }
            break;
        case 0x42:
            if (n >= 16) {
                ext.packed = u64(d);
                ext.original = u64(d + 8);
            }
            break;
        case 0x46:
            if (n >= 4) ext.code_page = u32(d);
            break;
        case 0x50:
            if (n >= 2) ext.mode = u16(d);
            break;
        case 0x51:
            if (n >= 4) {
                e.gid = u16(d);
                e.uid = u16(d + 2);
            }
            break;
        case 0x54:
            if (n >= 4 && !ext.mtime) ext.mtime = u32(d);
            break;
        default: break;
    }
}

// Walks a chain of extended headers held in `bytes` from `pos`: each is type, data, and the
// size of the next one (16 or 32 bits wide). Returns false when a size leaves the buffer.
bool walk_extended(const std::vector<std::uint8_t>& bytes, std::size_t pos, std::uint64_t first,
                   int size_width, std::size_t base, Extended& ext, Entry& e) {
    std::uint64_t next = first;
    while (next != 0) {
        if (next < static_cast<std::uint64_t>(1 + size_width) || next > bytes.size() - pos) return false;
        std::size_t n = static_cast<std::size_t>(next);
        const std::uint8_t* h = bytes.data() + pos;
        apply_extended(h[0], h + 1, n - 1 - static_cast<std::size_t>(size_width), base + pos + 1, ext, e);
        next = size_width == 2 ? u16(h + n - 2) : u32(h + n - 4);
        pos += n;
    }
    return true;
}

// A -lhd- member with a link's mode is a link, named "name|target" (split at the first '|').
void finish_name(const std::string& raw_base, const Extended& ext, Entry& e) {
    NameSource source;
    source.folder = ext.folder.value_or("");
    source.file = ext.file.value_or(raw_base);
    source.path_in_base = !ext.file;
    source.os_id = e.os_id;
    source.code_page = ext.code_page;
    DecodedName decoded = decode_name(source);
    e.name = std::move(decoded.path);
    e.utf8_name = decoded.utf8;
    if (ext.mode) e.unix_mode = *ext.mode & 07777;
    if (e.folder && ext.mode && (*ext.mode & kUnixKindMask) == kUnixLink) {
        e.folder = false;
        const std::size_t bar = e.name.find('|');
        e.link_target = bar == std::string::npos ? std::string() : e.name.substr(bar + 1);
        if (bar != std::string::npos) e.name.resize(bar);
    }
    if (e.folder && !e.name.empty() && e.name.back() != '/') e.name += '/';
}

bool method_like(const std::uint8_t* p) { return p[0] == '-' && p[4] == '-'; }

constexpr std::size_t kLeadBytes = 26;  // what every level's size and packed size fields need

// One byte of "-lh?-" or "-lz?-" may be damaged; the level is not trusted, so every level's way
// of giving the header size is tried.
bool damaged_member_ends_at(const std::uint8_t* h, std::uint64_t at, std::uint64_t end) {
    int method = (h[2] == '-') + (h[6] == '-') + (h[3] == 'l') + (h[4] == 'h' || h[4] == 'z');
    if (method < 3) return false;
    const std::uint64_t header_sizes[] = {h[0] + 2u, u16(h), u32(h + 24)};  // levels 0/1, 2, 3
    for (std::uint64_t size : header_sizes) {
        const std::uint64_t next = at + size + u32(h + 7);
        if (next == end || next + 1 == end) return true;
    }
    return false;
}

}  // namespace

bool looks_like_header(ByteInput& in, std::uint64_t offset) {
    std::uint8_t h[22];
    if (in.read_at(offset, h, sizeof h) != static_cast<std::ptrdiff_t>(sizeof h)) return false;
    if (!method_like(h + 2) || h[20] > 3) return false;
    if (h[20] == 3) return u16(h) == 4;
    if (h[20] == 2) return u16(h) >= 26;
    return h[0] >= 22 + h[21] - 2;
}

std::optional<std::uint64_t> find_damaged_header(ByteInput& in, std::uint64_t limit,
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
            if (damaged_member_ends_at(block.data() + i, base + i, end)) return base + i;
        }
    }
    return std::nullopt;
}

Status read_header(ByteInput& in, std::uint64_t offset, Entry& e) {
    e = Entry{};
    e.header_offset = offset;
    std::uint8_t first[26] = {};
    std::ptrdiff_t got = in.read_at(offset, first, sizeof first);
    if (got < 0) return Status::read_failed;
    if (got == 0 || first[0] == 0) return Status::end;
    if (got < 22) return Status::truncated;
    if (!method_like(first + 2)) return Status::broken_header;
    e.method.assign(reinterpret_cast<const char*>(first + 3), 3);
    e.level = first[20];
    e.folder = e.method == "lhd";
    Status status = Status::ok;
    Extended ext;
    std::vector<std::uint8_t> h;
    std::string raw_name;

    if (e.level == 0 || e.level == 1) {
        std::size_t size = static_cast<std::size_t>(first[0]) + 2;
        std::size_t name_len = first[21];
        if (size < 24 + name_len) return Status::broken_header;
        h.resize(size);
        if (!read_exact(in, offset, h.data(), size, status)) return status;
        std::uint8_t sum = 0;
        for (std::size_t i = 2; i < size; ++i) sum = static_cast<std::uint8_t>(sum + h[i]);
        if (sum != h[1]) return Status::header_crc;
        e.packed_size = u32(h.data() + 7);
        e.original_size = u32(h.data() + 11);
        e.mtime = backend::FromDosDateTime({u16(h.data() + 17), u16(h.data() + 15)});
        e.dos_attributes = h[19];
        raw_name.assign(reinterpret_cast<const char*>(h.data() + 22), name_len);
        std::size_t after = 22 + name_len;
        e.crc = u16(h.data() + after);
        after += 2;
        if (e.level == 0) {
            if (size >= after + 12 && h[after] == 'U') {
                e.os_id = 'U';
                e.mtime = u32(h.data() + after + 2);
                ext.mode = u16(h.data() + after + 6);
                e.uid = u16(h.data() + after + 8);
                e.gid = u16(h.data() + after + 10);
            } else if (size > after) {
                e.os_id = static_cast<char>(h[after]);
            }
            e.data_offset = offset + size;
        } else {
            if (size < after + 3) return Status::broken_header;
            e.os_id = static_cast<char>(h[after]);
            // Level 1 extended headers follow the base header and count as packed data.
            std::uint64_t pos = offset + size;
            std::uint64_t next = u16(h.data() + size - 2);
            std::uint64_t ext_total = 0;
            std::vector<std::uint8_t> x;
            while (next != 0) {
                if (next < 3 || ext_total + next > kMaxHeaderSize) return Status::broken_header;
                x.resize(static_cast<std::size_t>(next));
                if (!read_exact(in, pos, x.data(), x.size(), status)) return status;
                apply_extended(x[0], x.data() + 1, x.size() - 3, 0, ext, e);
                ext_total += next;
                pos += next;
                next = u16(x.data() + x.size() - 2);
            }
            // A header CRC here would cover bytes outside `h`; level 1 has its checksum instead.
            ext.header_crc.reset();
            if (ext_total > e.packed_size) return Status::broken_header;
            e.packed_size -= ext_total;
            e.data_offset = pos;
        }
    } else if (e.level == 2) {
        std::size_t size = u16(first);
        if (size < 26) return Status::broken_header;
        h.resize(size);
        if (!read_exact(in, offset, h.data(), size, status)) return status;
        e.packed_size = u32(h.data() + 7);
        e.original_size = u32(h.data() + 11);
        e.mtime = u32(h.data() + 15);
        e.dos_attributes = h[19];
        e.crc = u16(h.data() + 21);
        e.os_id = static_cast<char>(h[23]);
        if (!walk_extended(h, 26, u16(h.data() + 24), 2, 0, ext, e)) return Status::broken_header;
        e.data_offset = offset + size;
    } else if (e.level == 3) {
        if (u16(first) != 4) return Status::broken_header;
        std::uint8_t more[32];
        if (!read_exact(in, offset, more, sizeof more, status)) return status;
        std::uint32_t size = u32(more + 24);
        if (size < 32 || size > kMaxHeaderSize) return Status::broken_header;
        h.resize(size);
        if (!read_exact(in, offset, h.data(), size, status)) return status;
        e.packed_size = u32(h.data() + 7);
        e.original_size = u32(h.data() + 11);
        e.mtime = u32(h.data() + 15);
        e.dos_attributes = h[19];
        e.crc = u16(h.data() + 21);
        e.os_id = static_cast<char>(h[23]);
        if (!walk_extended(h, 32, u32(h.data() + 28), 4, 0, ext, e)) return Status::broken_header;
        e.data_offset = offset + size;
    } else {
        return Status::broken_header;
    }

    if (ext.header_crc) {
        std::vector<std::uint8_t> copy = h;
        copy[ext.header_crc_at] = 0;
        copy[ext.header_crc_at + 1] = 0;
        if (crc16_update(0, copy.data(), copy.size()) != *ext.header_crc) return Status::header_crc;
    }
    if (ext.packed) e.packed_size = *ext.packed;
    if (ext.original) e.original_size = *ext.original;
    if (ext.mtime) e.mtime = *ext.mtime;
    finish_name(raw_name, ext, e);
    if (e.data_offset > in.size() || e.packed_size > in.size() - e.data_offset) return Status::truncated;
    return Status::ok;
}

}  // namespace quorvex6::formats::lha
