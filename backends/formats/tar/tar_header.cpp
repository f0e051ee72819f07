#include "formats/tar/tar_header.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string>

#include "common/code_page.h"
#include "io/text.h"

namespace quorvex6::backend::tar {

namespace {

using BlockSpan = std::span<uint8_t, kBlock>;

// `digits` octal digits, then the field's terminator (space, or NUL and space).
void PutOctal(BlockSpan block, Field f, uint64_t value, size_t digits) {
    for (size_t i = digits; i-- > 0; value >>= 3)
        block[f.offset + i] = static_cast<uint8_t>('0' + (value & 7));
    for (size_t i = digits; i < f.length; ++i) block[f.offset + i] = i == digits ? ' ' : 0;
}

void PutText(BlockSpan block, Field f, std::string_view text) {
    std::copy_n(text.begin(), std::min(text.size(), f.length), block.begin() + f.offset);
}

// Where the name splits into ustar's prefix and name fields; npos when it cannot.
size_t UstarSplit(std::string_view name) {
    if (name.size() <= kName.length) return 0;
    size_t from = name.size() - kName.length - 1;  // the name part may hold at most 100 bytes
    for (size_t slash = name.find('/', from); slash != std::string_view::npos;
         slash = name.find('/', slash + 1)) {
        if (slash > kPrefix.length) break;
        if (slash + 1 < name.size()) return slash + 1;
    }
    return std::string_view::npos;
}

// "LEN key=value\n", where LEN counts the whole record including itself.
void AddRecord(std::string& records, std::string_view key, std::string_view value) {
    size_t body = key.size() + value.size() + 3;  // ' ', '=', '\n'
    size_t length = body + std::to_string(body).size();
    if (std::to_string(length).size() != std::to_string(body).size()) ++length;
    records += std::to_string(length) + " " + std::string(key) + "=" + std::string(value) + "\n";
}

void FinishBlock(BlockSpan block) {
    std::fill_n(block.begin() + kChecksum.offset, kChecksum.length, ' ');
    uint32_t sum = 0;
    for (uint8_t b : block) sum += b;
    PutOctal(block, kChecksum, sum, 6);
    block[kChecksum.offset + 6] = 0;  // "dddddd\0 ", as most writers have it
    block[kChecksum.offset + 7] = ' ';
}

BlockSpan NewBlock(std::vector<uint8_t>& out) {
    out.resize(out.size() + kBlock, 0);
    return BlockSpan(out.data() + out.size() - kBlock, kBlock);
}

void FillCommon(BlockSpan block, uint32_t mode, uint64_t size, int64_t mtime, char type) {
    PutOctal(block, kMode, mode & 07777, 6);
    block[kMode.offset + 7] = 0;
    PutOctal(block, kUid, 0, 6);
    block[kUid.offset + 7] = 0;
    PutOctal(block, kGid, 0, 6);
    block[kGid.offset + 7] = 0;
    PutOctal(block, kSize, size, 11);
    PutOctal(block, kMtime, static_cast<uint64_t>(std::clamp<int64_t>(mtime, 0, kMaxOctal11)), 11);
    block[kType.offset] = static_cast<uint8_t>(type);
    PutText(block, kMagic, kUstarMagic);
    PutText(block, kVersion, kUstarVersion);
    PutOctal(block, kDevMajor, 0, 6);
    block[kDevMajor.offset + 7] = 0;
    PutOctal(block, kDevMinor, 0, 6);
    block[kDevMinor.offset + 7] = 0;
}

}  // namespace

void AppendHeader(const HeaderFields& f, std::vector<uint8_t>& out) {
    std::string records;
    const bool ascii_name = io::IsAscii(f.name);
    const bool ascii_link = io::IsAscii(f.link);
    // Names are bytes on POSIX: those that are not UTF-8 are marked so, not taken for UTF-8.
    if ((!ascii_name && !io::IsValidUtf8(f.name)) || (!ascii_link && !io::IsValidUtf8(f.link)))
        AddRecord(records, "hdrcharset", "BINARY");
    size_t split = ascii_name ? UstarSplit(f.name) : std::string_view::npos;
    if (split == std::string_view::npos) AddRecord(records, "path", f.name);
    if (f.link.size() > kLink.length || !ascii_link) AddRecord(records, "linkpath", f.link);
    if (f.size > kMaxOctal11) AddRecord(records, "size", std::to_string(f.size));
    if (f.mtime < 0 || static_cast<uint64_t>(f.mtime) > kMaxOctal11)
        AddRecord(records, "mtime", std::to_string(f.mtime));
    std::string_view name = f.name;
    if (!records.empty()) {
        // The extended header's own name only matters to readers that do not know pax.
        std::string_view base = name.substr(0, name.size() - (name.ends_with('/') ? 1 : 0));
        base = base.substr(base.rfind('/') == std::string_view::npos ? 0 : base.rfind('/') + 1);
        std::string pax_name = "PaxHeader/" + std::string(base.substr(0, kName.length - 10));
        BlockSpan block = NewBlock(out);
        PutText(block, kName, pax_name);
        FillCommon(block, f.mode, records.size(), f.mtime, typeflag::kPax);
        FinishBlock(block);
        size_t at = out.size();
        out.resize(at + records.size() + PaddingAfter(records.size()), 0);
        std::memcpy(out.data() + at, records.data(), records.size());
        split = 0;
        name = name.substr(0, std::min(name.size(), kName.length));
    }
    BlockSpan block = NewBlock(out);
    if (split > 0) {
        PutText(block, kPrefix, name.substr(0, split - 1));
        PutText(block, kName, name.substr(split));
    } else {
        PutText(block, kName, name);
    }
    FillCommon(block, f.mode, f.size > kMaxOctal11 ? 0 : f.size, f.mtime,
               static_cast<char>(f.type));
    PutText(block, kLink, f.link);
    FinishBlock(block);
}

}  // namespace quorvex6::backend::tar
