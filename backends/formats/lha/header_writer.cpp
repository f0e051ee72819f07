#include "formats/lha/header_writer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "formats/lha/crc16.h"
#include "formats/lha/names.h"

namespace quorvex6::formats::lha {

namespace {

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xffff);
    put16(b, at + 2, v >> 16);
}
void put64(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v) {
    put32(b, at, static_cast<std::uint32_t>(v));
    put32(b, at + 4, static_cast<std::uint32_t>(v >> 32));
}

// Appends one extended header; its size goes into the previous header's "next size" field.
std::size_t add_extended(std::vector<std::uint8_t>& b, std::size_t& next_field, std::uint8_t type,
                         std::size_t data_size) {
    std::size_t at = b.size();
    std::size_t size = 1 + data_size + 2;
    put16(b, next_field, static_cast<std::uint32_t>(size));
    b.resize(at + size, 0);
    b[at] = type;
    next_field = at + size - 2;
    return at + 1;
}

}  // namespace

HeaderBytes build_level2_header(const Entry& e, bool wide_sizes) {
    HeaderBytes out;
    out.wide_sizes = wide_sizes;
    std::vector<std::uint8_t>& b = out.bytes;
    b.assign(26, 0);
    std::string method = "-" + (e.has_data() ? e.method : std::string("lhd")) + "-";
    method.resize(5, '-');  // an entry whose method patch_header fills in later has none yet
    std::memcpy(b.data() + 2, method.data(), 5);
    put32(b, 15, static_cast<std::uint32_t>(e.mtime < 0 ? 0 : e.mtime));
    b[19] = e.has_data() ? e.dos_attributes : kDosArchive;
    b[20] = 2;
    b[23] = static_cast<std::uint8_t>('U');
    std::size_t next = 24;

    out.crc_field = add_extended(b, next, 0x00, 2);
    StoredName name = encode_name(e.name, e.link_target);
    const std::string& file = name.file;
    const std::string& folder = name.folder;
    std::size_t at = add_extended(b, next, 0x01, file.size());
    std::memcpy(b.data() + at, file.data(), file.size());
    if (!folder.empty()) {
        at = add_extended(b, next, 0x02, folder.size());
        std::memcpy(b.data() + at, folder.data(), folder.size());
    }
    // Readers that guess take Shift_JIS first; a UTF-8 name must say what it is.
    if (name.code_page) {
        at = add_extended(b, next, 0x46, 4);
        put32(b, at, *name.code_page);
    }
    // Every member says its mode: readers lacking one choose differently (0600, 0666, ...).
    // The kind bits as Unix tools write them; a link is known by them alone.
    const std::uint16_t kind = e.link_target ? 0120000 : e.folder ? 0040000 : 0100000;
    const std::uint16_t usual = e.link_target ? 0777 : e.folder ? 0755 : 0644;
    at = add_extended(b, next, 0x50, 2);
    put16(b, at, kind | (e.unix_mode.value_or(usual) & 07777));
    if (wide_sizes) out.sizes_field = add_extended(b, next, 0x42, 16);
    // A header whose size ends in a zero byte would read as the end marker: pad it.
    if ((b.size() & 0xff) == 0) b.push_back(0);
    return out;
}

bool patch_header(HeaderBytes& h, const std::string& method, std::uint64_t packed,
                  std::uint64_t original, std::uint16_t crc) {
    std::vector<std::uint8_t>& b = h.bytes;
    if (b.size() > 0xffff) return false;
    bool narrow = packed <= 0xffffffffu && original <= 0xffffffffu;
    if (!narrow && !h.wide_sizes) return false;
    put16(b, 0, static_cast<std::uint32_t>(b.size()));
    if (b[3] != 'l' || b[4] != 'h' || b[5] != 'd') std::memcpy(b.data() + 3, method.data(), 3);
    // Each base size that fits is the real one (as MorphOS's LhA writes them beside 0x42), so
    // that readers who know no 64-bit sizes still step over a compressed member of 4 GiB
    // and more; one that does not fit says 0xFFFFFFFF.
    put32(b, 7, static_cast<std::uint32_t>(std::min<std::uint64_t>(packed, 0xffffffffu)));
    put32(b, 11, static_cast<std::uint32_t>(std::min<std::uint64_t>(original, 0xffffffffu)));
    put16(b, 21, crc);
    if (h.wide_sizes) {
        put64(b, h.sizes_field, packed);
        put64(b, h.sizes_field + 8, original);
    }
    put16(b, h.crc_field, 0);
    put16(b, h.crc_field, crc16_update(0, b.data(), b.size()));
    return true;
}

}  // namespace quorvex6::formats::lha
