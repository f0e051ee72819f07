#include "formats/lha/header_writer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "formats/lha/crc16.h"
#include "formats/lha/lha_format.h"
#include "formats/lha/names.h"
#include "io/byte_order.h"

namespace quorvex6::backend::lha {

namespace {

// Fields are patched into a header already sized, at their offsets.
void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    io::StoreLe16(&b[at], static_cast<std::uint16_t>(v));
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    io::StoreLe32(&b[at], v);
}
void Put64(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v) {
    io::StoreLe64(&b[at], v);
}

// Appends one extended header; its size goes into the previous header's "next size" field.
std::size_t AddExtended(std::vector<std::uint8_t>& b, std::size_t& next_field, std::uint8_t type,
                        std::size_t data_size) {
    std::size_t at = b.size();
    std::size_t size = 1 + data_size + 2;
    Put16(b, next_field, static_cast<std::uint32_t>(size));
    b.resize(at + size, 0);
    b[at] = type;
    next_field = at + size - 2;
    return at + 1;
}

}  // namespace

HeaderBytes BuildLevel2Header(const Entry& e, bool wide_sizes) {
    HeaderBytes out;
    out.wide_sizes = wide_sizes;
    std::vector<std::uint8_t>& b = out.bytes;
    b.assign(kLevel2Base, 0);
    std::string method = "-" + (e.has_data() ? e.method : std::string("lhd")) + "-";
    method.resize(kMethodSize,
                  '-');  // an entry whose method PatchHeader fills in later has none yet
    std::memcpy(b.data() + kMethodField, method.data(), kMethodSize);
    Put32(b, kTimeField, static_cast<std::uint32_t>(e.mtime < 0 ? 0 : e.mtime));
    b[kAttributeField] = e.has_data() ? e.dos_attributes : kDosArchive;
    b[kLevelField] = 2;
    b[kOsField] = static_cast<std::uint8_t>('U');
    std::size_t next = kLevel2Base - 2;

    out.crc_field = AddExtended(b, next, kExtHeaderCrc, 2);
    StoredName name = EncodeName(e.name, e.link_target);
    const std::string& file = name.file;
    const std::string& folder = name.folder;
    std::size_t at = AddExtended(b, next, kExtFileName, file.size());
    std::memcpy(b.data() + at, file.data(), file.size());
    if (!folder.empty()) {
        at = AddExtended(b, next, kExtFolderName, folder.size());
        std::memcpy(b.data() + at, folder.data(), folder.size());
    }
    // Readers that guess take Shift_JIS first; a UTF-8 name must say what it is.
    if (name.code_page) {
        at = AddExtended(b, next, kExtCodePage, 4);
        Put32(b, at, *name.code_page);
    }
    // Every member says its mode: readers lacking one choose differently (0600, 0666, ...).
    // The kind bits as Unix tools write them; a link is known by them alone.
    const std::uint16_t kind = e.link_target ? kUnixLink : e.folder ? kUnixFolder : kUnixFile;
    const std::uint16_t usual = e.link_target ? 0777 : e.folder ? 0755 : 0644;
    at = AddExtended(b, next, kExtUnixMode, 2);
    Put16(b, at, kind | (e.unix_mode.value_or(usual) & 07777));
    if (wide_sizes) out.sizes_field = AddExtended(b, next, kExtWideSizes, 16);
    // A header whose size ends in a zero byte would read as the end marker: pad it.
    if ((b.size() & 0xff) == 0) b.push_back(0);
    return out;
}

bool PatchHeader(HeaderBytes& h, const std::string& method, std::uint64_t packed,
                 std::uint64_t original, std::uint16_t crc) {
    std::vector<std::uint8_t>& b = h.bytes;
    if (b.size() > kMaxLevel2Header) return false;
    bool narrow = packed <= k32Max && original <= k32Max;
    if (!narrow && !h.wide_sizes) return false;
    Put16(b, 0, static_cast<std::uint32_t>(b.size()));
    if (std::memcmp(b.data() + kMethodField, "-lhd-", kMethodSize) != 0)
        std::memcpy(b.data() + kMethodField + 1, method.data(), 3);
    // Each base size that fits is the real one (as MorphOS's LhA writes them beside 0x42), so
    // that readers who know no 64-bit sizes still step over a compressed member of 4 GiB
    // and more; one that does not fit says 0xFFFFFFFF.
    Put32(b, kPackedSizeField, static_cast<std::uint32_t>(std::min(packed, k32Max)));
    Put32(b, kOriginalSizeField, static_cast<std::uint32_t>(std::min(original, k32Max)));
    Put16(b, kDataCrcField, crc);
    if (h.wide_sizes) {
        Put64(b, h.sizes_field, packed);
        Put64(b, h.sizes_field + 8, original);
    }
    Put16(b, h.crc_field, 0);
    Put16(b, h.crc_field, Crc16Update(0, b.data(), b.size()));
    return true;
}

}  // namespace quorvex6::backend::lha
