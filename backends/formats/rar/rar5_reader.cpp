#include "formats/rar/rar5_reader.h"

#include <algorithm>
#include <vector>

#include "common/code_page.h"
#include "formats/rar/field_reader.h"
#include "formats/rar/header_input.h"
#include "formats/rar/rar5_extra.h"
#include "io/byte_order.h"
#include "io/crc32.h"
#include "io/text.h"

namespace quorvex6::backend::rar {

namespace {

struct Header {
    std::uint64_t offset = 0;
    std::uint64_t type = 0;
    std::uint64_t flags = 0;
    std::vector<std::uint8_t> bytes;  // from the size field to the end of the extra area
    std::size_t fields = 0;           // where the type-specific fields start in `bytes`
    std::size_t extra = 0;            // where the extra area starts
    std::uint64_t data_size = 0;
    std::uint64_t data_offset() const { return offset + 4 + bytes.size(); }
    std::uint64_t next() const { return data_offset() + data_size; }
    std::string where() const { return "the header at offset " + std::to_string(offset); }
};

Header ReadHeader(io::RandomInput& in, std::uint64_t offset) {
    std::vector<std::uint8_t> lead = ReadHeaderBytes(in, offset, 4 + kMaxHeaderSizeBytes);
    FieldReader size_field(std::span<const std::uint8_t>(lead).subspan(4, kMaxHeaderSizeBytes),
                           "the header size at offset " + std::to_string(offset));
    std::uint64_t size = size_field.Vint();
    if (size == 0 || size > kMaxHeaderSize)
        throw io::Error(io::Fault::kBrokenHeader, "a header of " + std::to_string(size) +
                                                      " bytes at offset " + std::to_string(offset));
    Header h;
    h.offset = offset;
    h.bytes = ReadHeaderBytes(in, offset + 4, size_field.pos() + static_cast<std::size_t>(size));
    if (io::Crc32(0, h.bytes.data(), h.bytes.size()) != io::Le32(lead.data()))
        throw io::Error(io::Fault::kHeaderChecksum,
                        "the CRC of the header at offset " + std::to_string(offset) + " disagrees");
    FieldReader r(h.bytes, h.where());
    r.Skip(size_field.pos());
    h.type = r.Vint();
    h.flags = r.Vint();
    std::uint64_t extra_size = (h.flags & kHeaderHasExtra) ? r.Vint() : 0;
    if (h.flags & kHeaderHasData) h.data_size = r.Vint();
    h.fields = r.pos();
    if (extra_size > r.left()) r.Fail("an extra area past the header's end");
    h.extra = h.bytes.size() - static_cast<std::size_t>(extra_size);
    return h;
}

std::uint64_t DictionaryOf(std::uint64_t info) {
    std::uint64_t version = info & kCompVersionMask;
    if (version == 0) return kMinDictionary << ((info >> kCompDictionaryShift) & 0xF);
    std::uint64_t exponent = (info >> kCompDictionaryShift) & 0x1F;
    std::uint64_t fraction = (info >> kCompFractionShift) & 0x1F;
    if (exponent > 40) return UINT64_MAX;  // far past anything a reader would allocate
    std::uint64_t base = kMinDictionary << exponent;
    return base + base / 32 * fraction;
}

std::string NameOf(std::span<const std::uint8_t> stored, bool folder) {
    std::string name(stored.begin(), stored.end());
    if (name.find('\0') != std::string::npos) name.resize(name.find('\0'));
    if (!io::IsValidUtf8(name)) name = DecodeLegacyName(name);
    if (folder && !name.empty() && name.back() != '/') name += '/';
    return name;
}

Entry EntryOf(const Header& h) {
    FieldReader r(std::span<const std::uint8_t>(h.bytes).first(h.extra), h.where());
    r.Skip(h.fields);
    Entry e;
    e.generation = Generation::kRar5;
    std::uint64_t file_flags = r.Vint();
    e.original_size = r.Vint();
    e.attributes = static_cast<std::uint32_t>(r.Vint());
    if (file_flags & kFile5UnixTime) e.mtime.seconds = r.U32();
    if (file_flags & kFile5Crc) e.crc = r.U32();
    std::uint64_t info = r.Vint();
    std::uint64_t host = r.Vint();
    std::uint64_t name_size = r.Vint();
    if (name_size > kMaxNameSize) r.Fail("a name past the limit");
    std::span<const std::uint8_t> name = r.Bytes(name_size);
    e.packed_size = h.data_size;
    e.version = static_cast<std::uint8_t>(info & kCompVersionMask);
    e.solid = (info & kCompSolid) != 0;
    e.method = static_cast<std::uint8_t>((info >> kCompMethodShift) & 7);
    e.host = static_cast<std::uint8_t>(host > 0xFF ? 0xFF : host);
    e.unix_mode = host == kHost5Unix;
    e.folder = (file_flags & kFile5Directory) != 0;
    e.dictionary = e.folder ? 0 : DictionaryOf(info);
    e.split_before = (h.flags & kHeaderSplitBefore) != 0;
    e.split_after = (h.flags & kHeaderSplitAfter) != 0;
    e.name = NameOf(name, e.folder);
    if (e.name.empty() || e.name == "/") r.Fail("an entry without a name");
    e.header_offset = h.offset;
    e.data_offset = h.data_offset();
    ReadExtraArea(std::span<const std::uint8_t>(h.bytes).subspan(h.extra), e, h.where());
    // A link to a folder is a link: neither made as a folder nor named as one.
    if (e.redirection != Redirection::kNone && e.folder) {
        e.folder = false;
        e.name.pop_back();
    }
    if (file_flags & kFile5UnknownSize) e.original_size = UINT64_MAX;
    return e;
}

void ReadMain(const Header& h, Volume& v) {
    if (h.type != kHeaderMain) {
        if (h.type == kHeaderEncryption)
            throw io::Error(io::Fault::kEncrypted, "the archive's headers are encrypted");
        throw io::Error(io::Fault::kBrokenHeader, "no main header after the signature");
    }
    FieldReader r(std::span<const std::uint8_t>(h.bytes).first(h.extra), h.where());
    r.Skip(h.fields);
    std::uint64_t flags = r.Vint();
    v.is_volume = (flags & kArchiveVolume) != 0;
    if (flags & kArchiveVolumeNumber) v.volume_number = r.Vint();
    v.first_volume = !v.volume_number;
    v.solid = (flags & kArchiveSolid) != 0;
    v.locked = (flags & kArchiveLocked) != 0;
}

std::string StoredComment(io::RandomInput& in, const Entry& cmt) {
    if (cmt.method != 0 || cmt.encrypted || cmt.packed_size > kMaxCommentSize) return {};
    std::vector<std::uint8_t> bytes =
        ReadHeaderBytes(in, cmt.data_offset, static_cast<std::size_t>(cmt.packed_size));
    // Some writers end the text with a NUL.
    std::string text(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
    return io::IsValidUtf8(text) ? text : DecodeLegacyName(text);
}

}  // namespace

Volume ReadRar5Volume(io::RandomInput& in, std::uint64_t start) {
    Volume v;
    v.generation = Generation::kRar5;
    v.start = start;
    Header main = ReadHeader(in, start + sizeof kSignature5);
    ReadMain(main, v);
    std::uint64_t offset = main.next();
    try {
        for (;;) {
            Header h = ReadHeader(in, offset);
            if (h.type == kHeaderEnd) {
                FieldReader r(std::span<const std::uint8_t>(h.bytes).first(h.extra), h.where());
                r.Skip(h.fields);
                v.ended = true;
                v.continues = (r.Vint() & kEndMoreVolumes) != 0;
                break;
            }
            if (h.type == kHeaderEncryption)
                throw io::Error(io::Fault::kEncrypted, "the archive's headers are encrypted");
            CheckDataInside(in, h.data_offset(), h.data_size, h.where());
            if (h.type == kHeaderFile) {
                v.entries.push_back(EntryOf(h));
            } else if (h.type == kHeaderService) {
                Entry service = EntryOf(h);
                if (service.name == "CMT") v.comment = StoredComment(in, service);
                v.services.push_back(std::move(service));
            }
            offset = h.next();
        }
    } catch (const io::Error& error) {
        if (error.fault() == io::Fault::kRead) throw;
        v.end_error = error;
    }
    return v;
}

}  // namespace quorvex6::backend::rar
