#include "formats/rar/rar4_reader.h"

#include <algorithm>
#include <span>
#include <vector>

#include "common/code_page.h"
#include "common/dos_time.h"
#include "formats/rar/field_reader.h"
#include "formats/rar/header_input.h"
#include "formats/rar/old_comment.h"
#include "formats/rar/rar4_names.h"
#include "formats/rar/service_comment.h"
#include "io/byte_order.h"
#include "io/crc32.h"

namespace quorvex6::backend::rar {

namespace {

struct Block {
    std::uint64_t offset = 0;
    std::uint8_t type = 0;
    std::uint16_t flags = 0;
    std::vector<std::uint8_t> header;
    std::uint64_t data_size = 0;
    std::uint64_t next() const { return offset + header.size() + data_size; }
};

std::uint16_t Crc16(std::span<const std::uint8_t> header, std::size_t end) {
    return static_cast<std::uint16_t>(io::Crc32(0, header.data() + 2, end - 2) & 0xFFFF);
}

// Where the header's check ends: RAR 1.5-2.x leave a comment block inside the main and file
// headers out of it.
std::size_t CheckedLength(const Block& b) {
    const std::vector<std::uint8_t>& h = b.header;
    if (b.type == kBlockMain && (b.flags & kMainComment))
        return std::min(h.size(), kMainHeaderSize);
    if (b.type == kBlockFile && (b.flags & kFileComment) && h.size() >= kFileFixedSize) {
        std::size_t end = kFileFixedSize + io::Le16(h.data() + kFileFieldNameSize) +
                          ((b.flags & kFileLarge) ? 8 : 0);
        return std::min(h.size(), end);
    }
    return h.size();
}

Block ReadBlock(io::RandomInput& in, std::uint64_t offset) {
    std::vector<std::uint8_t> base = ReadHeaderBytes(in, offset, kBlockBaseSize);
    std::uint16_t size = io::Le16(base.data() + 5);
    if (size < kBlockBaseSize)
        throw io::Error(io::Fault::kBrokenHeader, "a header of " + std::to_string(size) +
                                                      " bytes at offset " + std::to_string(offset));
    Block b;
    b.offset = offset;
    b.type = base[2];
    b.flags = io::Le16(base.data() + 3);
    b.header = ReadHeaderBytes(in, offset, size);
    // Old sub-blocks (owners, recovery data, signatures) are only skipped: RAR 2.x checks some
    // of them over more than their header, and nothing here depends on them. An old comment
    // block's text has a check of its own, and a comment that fails it stops nothing.
    bool checked = b.type == kBlockMain || b.type == kBlockFile || b.type == kBlockNewSub ||
                   b.type == kBlockEnd;
    if (checked && io::Le16(b.header.data()) != Crc16(b.header, CheckedLength(b)))
        throw io::Error(io::Fault::kHeaderChecksum,
                        "the CRC of the header at offset " + std::to_string(offset) + " disagrees");
    bool sized = b.type == kBlockFile || b.type == kBlockNewSub;
    if ((b.flags & kFlagLongBlock) || sized) {
        if (size < kBlockBaseSize + 4)
            throw io::Error(io::Fault::kBrokenHeader,
                            "a block without its data size at offset " + std::to_string(offset));
        b.data_size = io::Le32(b.header.data() + kBlockBaseSize);
        if (sized && (b.flags & kFileLarge) && size >= kFileFixedSize + 4)
            b.data_size |= static_cast<std::uint64_t>(io::Le32(b.header.data() + kFileFixedSize))
                           << 32;
    }
    return b;
}

std::int64_t DosTime(std::uint32_t stored) {
    std::int64_t t = FromDosDateTime(
        {static_cast<std::uint16_t>(stored >> 16), static_cast<std::uint16_t>(stored & 0xFFFF)});
    return t < 0 ? 0 : t;
}

// Extended times: four nibbles (mtime, ctime, atime, archive time), each "present", "one
// second more" and how many bytes of a 24-bit fraction in 100 ns units follow; times other
// than mtime bring their own DOS time first.
void ReadExtendedTimes(FieldReader& r, Entry& e) {
    std::uint16_t flags = r.U16();
    for (int i = 0; i < 4; ++i) {
        unsigned mode = (flags >> ((3 - i) * 4)) & 0xF;
        if ((mode & 8) == 0) continue;
        Time t{i == 0 ? e.mtime.seconds : DosTime(r.U32()), 0};
        unsigned count = mode & 3;
        std::uint32_t fraction = 0;
        for (unsigned j = 0; j < count; ++j)
            fraction |= static_cast<std::uint32_t>(r.U8()) << ((j + 3 - count) * 8);
        if (mode & 4) ++t.seconds;
        t.nanoseconds = fraction * 100;
        if (i == 0) e.mtime = t;
        if (i == 1) e.ctime = t;
        if (i == 2) e.atime = t;
    }
}

std::string PathOf(std::span<const std::uint8_t> stored, bool unicode, bool folder) {
    std::string path = DecodeRar4Name(stored, unicode);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (folder && !path.empty() && path.back() != '/') path += '/';
    return path;
}

Entry EntryOf(const Block& b) {
    FieldReader r(b.header, "the file header at offset " + std::to_string(b.offset));
    r.Skip(kBlockBaseSize);
    Entry e;
    e.generation = Generation::kRar4;
    std::uint64_t packed = r.U32();
    std::uint64_t original = r.U32();
    e.host = r.U8();
    e.crc = r.U32();
    std::uint32_t dos_time = r.U32();
    e.version = r.U8();
    std::uint8_t method = r.U8();
    std::uint16_t name_size = r.U16();
    e.attributes = r.U32();
    if (b.flags & kFileLarge) {
        packed |= static_cast<std::uint64_t>(r.U32()) << 32;
        original |= static_cast<std::uint64_t>(r.U32()) << 32;
    }
    std::span<const std::uint8_t> name = r.Bytes(name_size);
    if (b.flags & kFileComment) {
        // The comment block's own size is in its header; the listing shows none of it.
        std::span<const std::uint8_t> base = r.Bytes(kBlockBaseSize);
        r.Skip(std::max<std::size_t>(io::Le16(base.data() + 5), kBlockBaseSize) - kBlockBaseSize);
    }
    if (b.flags & kFileSalt) r.Skip(kSaltSize);
    e.mtime.seconds = DosTime(dos_time);
    if (b.flags & kFileExtTime) ReadExtendedTimes(r, e);
    e.packed_size = packed;
    e.original_size = original;
    e.method = static_cast<std::uint8_t>(method - kMethodBase);
    if (method < kMethodBase) e.method = 0xFF;
    e.dictionary = std::uint64_t{64 * 1024}
                   << ((b.flags & kFileDictionaryMask) >> kFileDictionaryShift);
    e.unix_mode = e.host == kHost4Unix;
    e.folder = (b.flags & kFileDictionaryMask) == kFileDirectory ||
               (e.unix_mode ? (e.attributes & kModeKindMask) == kModeDirectory
                            : (e.attributes & kAttrDirectory) != 0);
    if (e.folder) e.dictionary = 0;
    e.solid = (b.flags & kFileSolid) != 0;
    e.split_before = (b.flags & kFileSplitBefore) != 0;
    e.split_after = (b.flags & kFileSplitAfter) != 0;
    e.encrypted = (b.flags & kFileEncrypted) != 0;
    e.name = PathOf(name, (b.flags & kFileUnicode) != 0, e.folder);
    if (e.name.empty() || e.name == "/")
        throw io::Error(io::Fault::kBrokenHeader,
                        "an entry without a name at offset " + std::to_string(b.offset));
    e.data_offset = b.offset + b.header.size();
    return e;
}

void ReadMain(const Block& main, Volume& v) {
    if (main.type != kBlockMain)
        throw io::Error(io::Fault::kBrokenHeader, "no main header after the signature");
    if (main.header.size() < kMainHeaderSize)
        throw io::Error(io::Fault::kBrokenHeader, "the main header is cut short");
    if (main.flags & kMainPassword)
        throw io::Error(io::Fault::kEncrypted, "the archive's headers are encrypted");
    v.is_volume = (main.flags & kMainVolume) != 0;
    v.first_volume = !v.is_volume || (main.flags & kMainFirstVolume) != 0;
    v.new_numbering = (main.flags & kMainNewNumbering) != 0;
    v.solid = (main.flags & kMainSolid) != 0;
    v.locked = (main.flags & kMainLocked) != 0;
    if (main.flags & kMainComment)
        v.comment = ReadOldComment(std::span(main.header).subspan(kMainHeaderSize));
}

void ReadEnd(const Block& b, Volume& v) {
    FieldReader r(b.header, "the end header");
    r.Skip(kBlockBaseSize);
    v.ended = true;
    v.continues = (b.flags & kEndNextVolume) != 0;
    if (b.flags & kEndDataCrc) r.Skip(4);
    if ((b.flags & kEndVolumeNumber) && r.left() >= 2) v.volume_number = r.U16();
}

}  // namespace

Volume ReadRar4Volume(io::RandomInput& in, std::uint64_t start) {
    Volume v;
    v.generation = Generation::kRar4;
    v.start = start;
    Block main = ReadBlock(in, start + sizeof kSignature4);
    ReadMain(main, v);
    std::uint64_t offset = main.next();
    try {
        while (offset < in.size()) {
            Block b = ReadBlock(in, offset);
            if (b.type == kBlockEnd) {
                ReadEnd(b, v);
                break;
            }
            CheckDataInside(in, b.offset + b.header.size(), b.data_size,
                            "the block at offset " + std::to_string(offset));
            if (b.type == kBlockFile) {
                v.entries.push_back(EntryOf(b));
            } else if (b.type == kBlockNewSub) {
                Entry sub = EntryOf(b);
                // A CMT after a file is that file's comment, not the archive's.
                if (sub.name == "CMT" && v.entries.empty()) v.comment = ReadServiceComment(in, sub);
            } else if (b.type == kBlockOldComment) {
                v.comment = ReadOldComment(b.header);
            }
            offset = b.next();
        }
    } catch (const io::Error& error) {
        if (error.fault() == io::Fault::kRead) throw;
        v.end_error = error;
    }
    return v;
}

}  // namespace quorvex6::backend::rar
