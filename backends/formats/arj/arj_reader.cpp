#include "formats/arj/arj_reader.h"

#include <algorithm>

#include "codecs/method_tables.h"
#include "common/code_page.h"
#include "common/dos_time.h"
#include "formats/arj/header_reader.h"
#include "io/byte_order.h"
#include "io/crc32_sink.h"
#include "io/range_source.h"

namespace quorvex6::backend::arj {

namespace {

std::string PathOf(const std::string& stored, bool folder) {
    std::string path = DecodeLegacyName(stored);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (folder && !path.empty() && path.back() != '/') path += '/';
    return path;
}

std::int64_t TimeOf(std::uint32_t stored, std::uint8_t host) {
    if (UnixHost(host)) return stored;
    std::int64_t t = FromDosDateTime(
        {static_cast<std::uint16_t>(stored >> 16), static_cast<std::uint16_t>(stored & 0xFFFF)});
    return t < 0 ? 0 : t;
}

// The kind and the bytes of a special file's extended header.
void ReadSpecial(const RawHeader& h, Entry& e) {
    std::vector<std::uint8_t> data;
    for (const ExtendedHeader& x : h.extended)
        if (x.tag == kTagUnixSpecial) data.insert(data.end(), x.data.begin(), x.data.end());
    if (data.empty())
        throw io::Error(io::Fault::kBrokenHeader,
                        "special file " + e.name + " says not what it is");
    std::size_t length = data[0] & kSpecialShortLengthMask;
    std::size_t at = 1;
    if (length == kSpecialLongLength && data.size() >= 3) {
        length = io::Le16(data.data() + 1);
        at = 3;
    }
    if (data.size() < at + length)
        throw io::Error(io::Fault::kBrokenHeader, "special file " + e.name + " is cut short");
    e.special_kind = static_cast<std::uint8_t>(data[0] >> kSpecialKindShift);
    if (*e.special_kind == kSpecialSymlink)
        e.link_target =
            DecodeLegacyName(std::string(data.begin() + static_cast<std::ptrdiff_t>(at),
                                         data.begin() + static_cast<std::ptrdiff_t>(at + length)));
}

Entry EntryOf(const RawHeader& h, std::uint64_t offset) {
    const std::uint8_t* b = h.basic.data();
    Entry e;
    e.method = b[kMethodField];
    e.type = b[kTypeField];
    e.host = b[kHostField];
    e.flags = b[kFlagsField];
    e.packed_size = io::Le32(b + kPackedSizeField);
    e.original_size = io::Le32(b + kOriginalSizeField);
    e.crc = io::Le32(b + kDataCrcField);
    e.mtime = TimeOf(io::Le32(b + kTimeField), e.host);
    e.mode = io::Le16(b + kModeField);
    e.first_chapter = b[kFirstChapterField];
    e.last_chapter = b[kLastChapterField];
    if (b[kFirstSizeField] >= kResumePositionField + 4)
        e.resume_position = io::Le32(b + kResumePositionField);
    e.name = PathOf(h.name, e.folder());
    e.comment = DecodeLegacyName(h.comment);
    e.header_offset = offset;
    e.data_offset = h.end;
    if (e.type == kTypeUnixSpecial) ReadSpecial(h, e);
    return e;
}

// What a damaged first header says of itself, when the bytes start like an ARJ archive.
io::Error StartError(io::RandomInput& in) {
    try {
        ReadHeader(in, 0);
    } catch (const io::Error& error) {
        if (error.fault() == io::Fault::kHeaderChecksum || error.fault() == io::Fault::kRead)
            return error;
    }
    return io::Error(io::Fault::kNotArchive, "not an ARJ archive");
}

}  // namespace

Reader::Reader(io::RandomInput& in) {
    std::optional<std::uint64_t> start = FindArchiveStart(in, kSfxSearchLimit);
    if (!start) throw StartError(in);
    start_ = *start;
    std::optional<RawHeader> main = ReadHeader(in, start_);
    comment_ = DecodeLegacyName(main->comment);
    main_flags_ = main->basic[kFlagsField];
    chapter_ = main->basic[kCurrentChapterField];
    std::uint64_t offset = main->end;
    try {
        while (std::optional<RawHeader> h = ReadHeader(in, offset)) {
            entries_.push_back(EntryOf(*h, offset));
            offset = entries_.back().next_offset();
            if (offset > in.size())
                throw io::Error(io::Fault::kBrokenData,
                                "the archive ends inside the data of " + entries_.back().name);
        }
    } catch (const io::Error& error) {
        if (error.fault() == io::Fault::kRead) throw;
        end_error_ = error;
    }
}

void Reader::Decode(io::RandomInput& in, const Entry& entry, io::Sink& out) {
    if (entry.garbled())
        throw io::Error(io::Fault::kEncrypted, entry.name + " is garbled with a password");
    const codecs::Method* method = nullptr;
    if (entry.method <= kHighestMethod)
        method = codecs::FindMethod(codecs::LhMethods(), "arj" + std::to_string(entry.method));
    if (method == nullptr)
        throw io::Error(io::Fault::kUnknownMethod,
                        "unknown method " + std::to_string(entry.method) + " of " + entry.name);
    io::RangeSource source(in, entry.data_offset, entry.packed_size);
    io::Crc32Sink sink(out);
    codecs::Status status =
        method->make_decoder()->decode(source, entry.packed_size, entry.original_size, sink);
    if (status != codecs::Status::kOk)
        throw io::Error(codecs::FaultOf(status), "cannot decode " + entry.name);
    if (sink.crc() != entry.crc)
        throw io::Error(io::Fault::kDataChecksum, "the CRC of " + entry.name + " disagrees");
}

}  // namespace quorvex6::backend::arj
