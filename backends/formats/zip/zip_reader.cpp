#include "formats/zip/zip_reader.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>

#include "codecs/codec.h"
#include "formats/zip/zip_end.h"
#include "formats/zip/zip_format.h"
#include "formats/zip/zip_methods.h"
#include "formats/zip/zip_names.h"
#include "io/byte_order.h"
#include "io/crc32.h"
#include "io/crc32_sink.h"
#include "io/fault.h"
#include "io/range_source.h"
#include "io/text.h"

namespace quorvex6::backend::zip {

namespace {

[[noreturn]] void Broken(const std::string& why) { throw io::Error(io::Fault::kBrokenHeader, why); }

void ApplyExtras(const uint8_t* extra, size_t size, ZipEntry& entry, bool wide_usize,
                 bool wide_csize, bool wide_offset, std::string_view raw_name,
                 std::string* unicode_name) {
    size_t pos = 0;
    while (pos + 4 <= size) {
        uint16_t id = io::Le16(extra + pos);
        uint16_t len = io::Le16(extra + pos + 2);
        const uint8_t* data = extra + pos + 4;
        if (pos + 4 + len > size) break;
        if (id == kExtraZip64) {
            size_t at = 0;
            auto take = [&](uint64_t& field) {
                if (at + 8 > len) Broken("short ZIP64 field of " + entry.name);
                field = io::Le64(data + at);
                at += 8;
            };
            if (wide_usize) take(entry.original_size);
            if (wide_csize) take(entry.compressed_size);
            if (wide_offset) take(entry.local_offset);
        } else if (id == kExtraTimestamp && len >= 5 && (data[0] & 1)) {
            entry.extended_mtime = io::Le32(data + 1);
        } else if (id == kExtraUnicodePath && len >= 5 && data[0] == 1) {
            uint32_t crc =
                io::Crc32(0, reinterpret_cast<const uint8_t*>(raw_name.data()), raw_name.size());
            std::string_view name(reinterpret_cast<const char*>(data + 5), len - 5u);
            if (crc == io::Le32(data + 1) && io::IsValidUtf8(name))
                *unicode_name = std::string(name);
        }
        pos += 4 + len;
    }
}

}  // namespace

ZipReader::ZipReader(std::unique_ptr<io::RandomInput> input) : input_(std::move(input)) {
    size_ = input_->size();
    ReadDirectory();
}

size_t ZipReader::ReadAt(uint64_t offset, void* data, size_t n) const {
    return zip::ReadAt(*input_, offset, data, n);
}

void ZipReader::ReadDirectory() {
    EndRecord end = FindEnd(*input_);
    comment_ = std::move(end.comment);
    uint64_t shift = ArchiveStart(end);
    uint64_t start = end.position - end.directory_size;
    std::vector<uint8_t> dir(end.directory_size);
    if (ReadAt(start, dir.data(), dir.size()) != dir.size()) Broken("short central directory");
    if (end.entries > dir.size() / kCentralHeaderSize)
        Broken("more entries than the directory can hold");
    entries_.reserve(end.entries);
    size_t pos = 0;
    while (pos + kCentralHeaderSize <= dir.size() && io::Le32(&dir[pos]) == kCentralSignature) {
        const uint8_t* h = &dir[pos];
        ZipEntry entry;
        entry.version_made_by = io::Le16(h + kCentralFieldMadeBy);
        entry.flags = io::Le16(h + kCentralFieldFlags);
        entry.method = io::Le16(h + kCentralFieldMethod);
        entry.dos_time = io::Le16(h + kCentralFieldTime);
        entry.dos_date = io::Le16(h + kCentralFieldDate);
        entry.crc = io::Le32(h + kCentralFieldCrc);
        entry.compressed_size = io::Le32(h + kCentralFieldCsize);
        entry.original_size = io::Le32(h + kCentralFieldUsize);
        uint16_t name_len = io::Le16(h + kCentralFieldNameLength),
                 extra_len = io::Le16(h + kCentralFieldExtraLength),
                 comment_len = io::Le16(h + kCentralFieldCommentLength);
        entry.external_attributes = io::Le32(h + kCentralFieldExternal);
        entry.local_offset = io::Le32(h + kCentralOffsetField);
        size_t record = kCentralHeaderSize + name_len + extra_len + comment_len;
        if (pos + record > dir.size()) Broken("central directory entry runs past its end");
        entry.central_offset = start + pos;
        entry.central_size = static_cast<uint32_t>(record);
        std::string_view raw(reinterpret_cast<const char*>(h + kCentralHeaderSize), name_len);
        std::string unicode;
        ApplyExtras(h + kCentralHeaderSize + name_len, extra_len, entry,
                    entry.original_size == k32Max, entry.compressed_size == k32Max,
                    entry.local_offset == k32Max, raw, &unicode);
        entry.name = EntryName(raw, entry.flags, entry.version_made_by, unicode);
        entry.local_offset += shift;
        if (entry.local_offset >= size_)
            Broken("entry " + entry.name + " starts past the end of the archive");
        entries_.push_back(std::move(entry));
        pos += record;
    }
    if (entries_.size() != end.entries && end.entries != k16Max)
        Broken("central directory holds fewer entries than announced");
    MarkSharedBytes(start);
}

void ZipReader::MarkSharedBytes(uint64_t directory_start) {
    // Each local record holds at least its fixed header and its data. Two entries whose records
    // so reckoned overlap share bytes, which no writer does: decoding such bytes again and again
    // is how small archives expand without bound.
    std::vector<size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return entries_[a].local_offset < entries_[b].local_offset;
    });
    uint64_t reach = 0;
    size_t owner = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        ZipEntry& entry = entries_[order[k]];
        if (k > 0 && entry.local_offset < reach) {
            ZipEntry& other = entries_[order[owner]];
            entry.overlaps = other.name;
            if (other.overlaps.empty()) other.overlaps = entry.name;
        }
        uint64_t least_end =
            entry.local_offset + kLocalHeaderSize + std::min(entry.compressed_size, size_);
        if (least_end > reach) {
            reach = least_end;
            owner = k;
        }
    }
    uint64_t next = directory_start;
    for (size_t k = order.size(); k-- > 0;) {
        ZipEntry& entry = entries_[order[k]];
        if (k + 1 < order.size() && entries_[order[k + 1]].local_offset > entry.local_offset)
            next = entries_[order[k + 1]].local_offset;
        entry.next_record = next;
    }
    const ZipEntry* previous = nullptr;
    for (size_t k = 0; k < order.size(); ++k) {
        ZipEntry& entry = entries_[order[k]];
        if (k > 0 && entries_[order[k - 1]].local_offset < entry.local_offset)
            previous = &entries_[order[k - 1]];
        entry.previous = previous;
    }
}

std::optional<uint64_t> ZipReader::LocalDataStart(const ZipEntry& entry) const {
    uint8_t h[kLocalHeaderSize];
    if (ReadAt(entry.local_offset, h, sizeof h) != sizeof h || io::Le32(h) != kLocalSignature)
        return std::nullopt;
    return entry.local_offset + kLocalHeaderSize + io::Le16(h + kLocalFieldNameLength) +
           io::Le16(h + kLocalFieldExtraLength);
}

uint64_t ZipReader::DataOffset(const ZipEntry& entry) const {
    const std::string bomb = " (overlapping entries, a possible zip bomb)";
    if (!entry.overlaps.empty())
        Broken(entry.name + " shares archive bytes with " + entry.overlaps + bomb);
    std::optional<uint64_t> data = LocalDataStart(entry);
    if (!data) Broken("bad local header of " + entry.name);
    if (*data > size_ || entry.compressed_size > size_ - *data)
        Broken("data of " + entry.name + " runs past the end");
    if (*data + entry.compressed_size > entry.next_record)
        Broken("data of " + entry.name + " runs into the next record" + bomb);
    // The record before may hold this one in its local header (in an extra field, say).
    if (entry.previous) {
        std::optional<uint64_t> before = LocalDataStart(*entry.previous);
        if (before &&
            *before + std::min(entry.previous->compressed_size, size_) > entry.local_offset)
            Broken(entry.name + " shares archive bytes with " + entry.previous->name + bomb);
    }
    return *data;
}

bool ZipReader::LocalZip64(const ZipEntry& entry) const {
    uint8_t h[kLocalHeaderSize];
    if (ReadAt(entry.local_offset, h, sizeof h) != sizeof h) return false;
    std::vector<uint8_t> extra(io::Le16(h + kLocalFieldExtraLength));
    if (ReadAt(entry.local_offset + kLocalHeaderSize + io::Le16(h + kLocalFieldNameLength),
               extra.data(), extra.size()) != extra.size())
        return false;
    for (size_t pos = 0; pos + 4 <= extra.size(); pos += 4 + io::Le16(&extra[pos + 2]))
        if (io::Le16(&extra[pos]) == kExtraZip64) return true;
    return false;
}

uint64_t ZipReader::RecordEnd(const ZipEntry& entry) const {
    uint64_t end = DataOffset(entry) + entry.compressed_size;
    if ((entry.flags & kFlagDataDescriptor) == 0) return end;
    // The descriptor's signature is optional, and its sizes are 64-bit when the local header
    // has a ZIP64 field; it must repeat what the central record says.
    uint8_t d[24] = {};
    size_t got =
        ReadAt(end, d, static_cast<size_t>(std::min<uint64_t>(sizeof d, entry.next_record - end)));
    bool wide_first = LocalZip64(entry);
    for (bool signed_form : {true, false}) {
        for (bool wide : {wide_first, !wide_first}) {
            size_t at = signed_form ? 4 : 0;
            size_t length = at + 4 + (wide ? 16 : 8);
            if (length > got || (signed_form && io::Le32(d) != kDescriptorSignature) ||
                io::Le32(d + at) != entry.crc)
                continue;
            uint64_t csize = wide ? io::Le64(d + at + 4) : io::Le32(d + at + 4);
            uint64_t usize = wide ? io::Le64(d + at + 12) : io::Le32(d + at + 8);
            if (csize == entry.compressed_size && usize == entry.original_size) return end + length;
        }
    }
    Broken("the data descriptor of " + entry.name + " does not match its central record");
}

std::string ZipReader::CentralRecord(const ZipEntry& entry) const {
    std::string record(entry.central_size, '\0');
    if (ReadAt(entry.central_offset, reinterpret_cast<uint8_t*>(record.data()), record.size()) !=
        record.size())
        throw io::Error(io::Fault::kRead, "cannot read the central record of " + entry.name);
    return record;
}

void ZipReader::Extract(const ZipEntry& entry, io::Sink& sink) const {
    MemberDecoders decoders;
    Extract(entry, sink, decoders);
}

void ZipReader::Extract(const ZipEntry& entry, io::Sink& sink, MemberDecoders& decoders) const {
    using quorvex6::backend::codecs::Status;
    if (entry.encrypted()) throw io::Error(io::Fault::kEncrypted, "encrypted: " + entry.name);
    uint64_t data = DataOffset(entry);
    io::RangeSource source(*input_, data, entry.compressed_size);
    io::Crc32Sink crc_sink(sink);
    Status status = Status::kOk;
    if (entry.method == kMethodStored) {
        if (entry.compressed_size != entry.original_size)
            Broken("stored sizes differ: " + entry.name);
        std::vector<uint8_t> buffer(std::min<uint64_t>(entry.original_size, 1 << 20));
        for (;;) {
            std::ptrdiff_t n = source.read(buffer.data(), buffer.size());
            if (n == 0) break;
            if (n < 0) {
                status = Status::kReadFailed;
                break;
            }
            if (!crc_sink.write(buffer.data(), static_cast<size_t>(n))) {
                status = Status::kWriteFailed;
                break;
            }
        }
    } else {
        quorvex6::backend::codecs::Decoder* decoder = decoders.For(entry.method);
        if (decoder == nullptr)
            throw io::Error(io::Fault::kUnknownMethod,
                            "method " + MethodText(entry.method) + " not supported: " + entry.name);
        status = decoder->decode(source, entry.compressed_size, entry.original_size, crc_sink);
    }
    switch (status) {
        case Status::kOk:
            break;
        case Status::kReadFailed:
            throw io::Error(io::Fault::kRead, "read error in " + entry.name);
        case Status::kWriteFailed:
            throw io::Error(io::Fault::kWrite, "cannot write " + entry.name);
        default:
            throw io::Error(quorvex6::backend::codecs::FaultOf(status),
                            "broken data in " + entry.name);
    }
    if (crc_sink.crc() != entry.crc)
        throw io::Error(io::Fault::kDataChecksum, "check value mismatch in " + entry.name);
}

void ZipReader::CopyRaw(const ZipEntry& entry, io::Sink& sink) const {
    constexpr uint64_t kChunk = 1 << 20;
    uint64_t from = entry.local_offset, size = RecordEnd(entry) - from;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min(kChunk, size)));
    for (uint64_t done = 0; done < size;) {
        size_t n = ReadAt(from + done, buffer.data(),
                          static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - done)));
        if (n == 0)
            throw io::Error(io::Fault::kBrokenData, "the old archive ends inside " + entry.name);
        if (!sink.write(buffer.data(), n))
            throw io::Error(io::Fault::kWrite, "cannot copy " + entry.name);
        done += n;
    }
}

}  // namespace quorvex6::backend::zip
