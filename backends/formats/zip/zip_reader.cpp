#include "formats/zip/zip_reader.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>

#include "codecs/crc32.h"
#include "common/code_page.h"
#include "common/result.h"
#include "formats/zip/byte_order.h"
#include "formats/zip/zip_format.h"
#include "formats/zip/zip_names.h"

namespace quorvex6::backend::zip {

namespace {

[[noreturn]] void Broken(const std::string& why) { throw Failure(result::kBrokenHeader, why); }

// Reads the stored bytes of one entry, and no more.
class RangeSource final : public quorvex6::codecs::Source {
public:
    RangeSource(const InputFile& file, uint64_t offset, uint64_t size) : file_(file), offset_(offset), left_(size) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        size_t n = static_cast<size_t>(std::min<uint64_t>(size, left_));
        if (n == 0) return 0;
        size_t got = file_.ReadAt(offset_, data, n);
        offset_ += got;
        left_ -= got;
        return static_cast<std::ptrdiff_t>(got);
    }

private:
    const InputFile& file_;
    uint64_t offset_;
    uint64_t left_;
};

class CrcSink final : public quorvex6::codecs::Sink {
public:
    explicit CrcSink(quorvex6::codecs::Sink& next) : next_(next) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        crc_ = quorvex6::codecs::crc32(crc_, data, size);
        return next_.write(data, size);
    }
    uint32_t crc() const { return crc_; }

private:
    quorvex6::codecs::Sink& next_;
    uint32_t crc_ = 0;
};

std::string_view MethodId(uint16_t method) {
    switch (method) {
        case kMethodDeflate: return "deflate";
        case kMethodBzip2: return "bzip2";
        case kMethodLzma: return "lzma-zip";
        default: return {};
    }
}

void ApplyExtras(const uint8_t* extra, size_t size, ZipEntry& entry, bool wide_usize, bool wide_csize, bool wide_offset,
                 std::string_view raw_name, std::string* unicode_name) {
    size_t pos = 0;
    while (pos + 4 <= size) {
        uint16_t id = Get16(extra + pos);
        uint16_t len = Get16(extra + pos + 2);
        const uint8_t* data = extra + pos + 4;
        if (pos + 4 + len > size) break;
        if (id == kExtraZip64) {
            size_t at = 0;
            auto take = [&](uint64_t& field) {
                if (at + 8 > len) Broken("short ZIP64 field of " + entry.name);
                field = Get64(data + at);
                at += 8;
            };
            if (wide_usize) take(entry.original_size);
            if (wide_csize) take(entry.compressed_size);
            if (wide_offset) take(entry.local_offset);
        } else if (id == kExtraTimestamp && len >= 5 && (data[0] & 1)) {
            entry.extended_mtime = Get32(data + 1);
        } else if (id == kExtraUnicodePath && len >= 5 && data[0] == 1) {
            uint32_t crc = quorvex6::codecs::crc32(0, reinterpret_cast<const uint8_t*>(raw_name.data()), raw_name.size());
            std::string_view name(reinterpret_cast<const char*>(data + 5), len - 5u);
            if (crc == Get32(data + 1) && IsValidUtf8(name)) *unicode_name = std::string(name);
        }
        pos += 4 + len;
    }
}

}  // namespace

ZipReader::ZipReader(const std::string& path) {
    try {
        file_ = InputFile(path);
    } catch (const Failure& f) {
        throw Failure(result::kCannotOpenArchive, f.what());
    }
    size_ = file_.Size();
    ReadDirectory();
}

struct ZipReader::EndRecord {
    uint64_t entries = 0;
    uint64_t directory_size = 0;
    uint64_t directory_offset = 0;
    uint64_t position = 0;  // of the record that ends the directory
};

ZipReader::EndRecord ZipReader::FindEnd() {
    // The end record sits in the last 22 + 65535 bytes. A comment may hold the record's
    // signature too: the true record's comment ends where the file does. Failing that (bytes
    // appended after the archive), the last record whose comment fits in the file.
    uint64_t tail_size = std::min<uint64_t>(size_, kEndSize + kMaxComment);
    std::vector<uint8_t> tail(tail_size);
    if (file_.ReadAt(size_ - tail_size, tail.data(), tail_size) != tail_size) throw Failure(result::kReadError, "short read");
    std::optional<size_t> exact, fits;
    for (size_t i = tail_size >= kEndSize ? tail_size - kEndSize + 1 : 0; i-- > 0 && !exact;) {
        if (Get32(&tail[i]) != kEndSignature) continue;
        size_t stop = i + kEndSize + Get16(&tail[i + 20]);
        if (stop == tail_size) exact = i;
        else if (stop < tail_size && !fits) fits = i;
    }
    if (!exact && !fits) throw Failure(result::kNotValidArchive, "not a ZIP archive");
    size_t at = exact ? *exact : *fits;
    const uint8_t* e = &tail[at];
    comment_.assign(reinterpret_cast<const char*>(e + kEndSize), Get16(e + 20));
    EndRecord end;
    end.entries = Get16(e + 10);
    end.directory_size = Get32(e + 12);
    end.directory_offset = Get32(e + 16);
    end.position = size_ - tail_size + at;
    // ZIP64: a locator right before the end record names the ZIP64 end record.
    if (end.position >= kZip64LocatorSize) {
        uint8_t loc[kZip64LocatorSize];
        if (file_.ReadAt(end.position - kZip64LocatorSize, loc, sizeof loc) == sizeof loc && Get32(loc) == kZip64LocatorSignature) {
            uint64_t rec_at = Get64(loc + 8);
            uint8_t rec[kZip64EndSize];
            if (rec_at + kZip64EndSize > size_ || file_.ReadAt(rec_at, rec, sizeof rec) != sizeof rec || Get32(rec) != kZip64EndSignature)
                Broken("broken ZIP64 end record");
            end.entries = Get64(rec + 32);
            end.directory_size = Get64(rec + 40);
            end.directory_offset = Get64(rec + 48);
            end.position = rec_at;
        }
    }
    return end;
}

void ZipReader::ReadDirectory() {
    EndRecord end = FindEnd();
    if (end.directory_size > kMaxCentralDirectory || end.directory_size > end.position)
        Broken("central directory larger than the archive allows");
    // Data prepended to the archive (a self-extractor's program) shifts every offset.
    uint64_t shift = end.position - end.directory_size - std::min(end.directory_offset, end.position - end.directory_size);
    uint64_t start = end.position - end.directory_size;
    std::vector<uint8_t> dir(end.directory_size);
    if (file_.ReadAt(start, dir.data(), dir.size()) != dir.size()) Broken("short central directory");
    if (end.entries > dir.size() / kCentralHeaderSize) Broken("more entries than the directory can hold");
    entries_.reserve(end.entries);
    size_t pos = 0;
    while (pos + kCentralHeaderSize <= dir.size() && Get32(&dir[pos]) == kCentralSignature) {
        const uint8_t* h = &dir[pos];
        ZipEntry entry;
        entry.version_made_by = Get16(h + 4);
        entry.flags = Get16(h + 8);
        entry.method = Get16(h + 10);
        entry.dos_time = Get16(h + 12);
        entry.dos_date = Get16(h + 14);
        entry.crc = Get32(h + 16);
        entry.compressed_size = Get32(h + 20);
        entry.original_size = Get32(h + 24);
        uint16_t name_len = Get16(h + 28), extra_len = Get16(h + 30), comment_len = Get16(h + 32);
        entry.external_attributes = Get32(h + 38);
        entry.local_offset = Get32(h + kCentralOffsetField);
        size_t record = kCentralHeaderSize + name_len + extra_len + comment_len;
        if (pos + record > dir.size()) Broken("central directory entry runs past its end");
        entry.central_offset = start + pos;
        entry.central_size = static_cast<uint32_t>(record);
        std::string_view raw(reinterpret_cast<const char*>(h + kCentralHeaderSize), name_len);
        std::string unicode;
        ApplyExtras(h + kCentralHeaderSize + name_len, extra_len, entry, entry.original_size == k32Max,
                    entry.compressed_size == k32Max, entry.local_offset == k32Max, raw, &unicode);
        entry.name = EntryName(raw, entry.flags, entry.version_made_by, unicode);
        entry.local_offset += shift;
        if (entry.local_offset >= size_) Broken("entry " + entry.name + " starts past the end of the archive");
        entries_.push_back(std::move(entry));
        pos += record;
    }
    if (entries_.size() != end.entries && end.entries != k16Max) Broken("central directory holds fewer entries than announced");
    MarkSharedBytes(start);
}

void ZipReader::MarkSharedBytes(uint64_t directory_start) {
    // Each local record holds at least its fixed header and its data. Two entries whose records
    // so reckoned overlap share bytes, which no writer does: decoding such bytes again and again
    // is how small archives expand without bound.
    std::vector<size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return entries_[a].local_offset < entries_[b].local_offset; });
    uint64_t reach = 0;
    size_t owner = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        ZipEntry& entry = entries_[order[k]];
        if (k > 0 && entry.local_offset < reach) {
            ZipEntry& other = entries_[order[owner]];
            entry.overlaps = other.name;
            if (other.overlaps.empty()) other.overlaps = entry.name;
        }
        uint64_t least_end = entry.local_offset + kLocalHeaderSize + std::min(entry.compressed_size, size_);
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
        if (k > 0 && entries_[order[k - 1]].local_offset < entry.local_offset) previous = &entries_[order[k - 1]];
        entry.previous = previous;
    }
}

std::optional<uint64_t> ZipReader::LocalDataStart(const ZipEntry& entry) const {
    uint8_t h[kLocalHeaderSize];
    if (file_.ReadAt(entry.local_offset, h, sizeof h) != sizeof h || Get32(h) != kLocalSignature) return std::nullopt;
    return entry.local_offset + kLocalHeaderSize + Get16(h + 26) + Get16(h + 28);
}

uint64_t ZipReader::DataOffset(const ZipEntry& entry) const {
    const std::string bomb = " (overlapping entries, a possible zip bomb)";
    if (!entry.overlaps.empty()) Broken(entry.name + " shares archive bytes with " + entry.overlaps + bomb);
    std::optional<uint64_t> data = LocalDataStart(entry);
    if (!data) Broken("bad local header of " + entry.name);
    if (*data > size_ || entry.compressed_size > size_ - *data) Broken("data of " + entry.name + " runs past the end");
    if (*data + entry.compressed_size > entry.next_record) Broken("data of " + entry.name + " runs into the next record" + bomb);
    // The record before may hold this one in its local header (in an extra field, say).
    if (entry.previous) {
        std::optional<uint64_t> before = LocalDataStart(*entry.previous);
        if (before && *before + std::min(entry.previous->compressed_size, size_) > entry.local_offset)
            Broken(entry.name + " shares archive bytes with " + entry.previous->name + bomb);
    }
    return *data;
}

bool ZipReader::LocalZip64(const ZipEntry& entry) const {
    uint8_t h[kLocalHeaderSize];
    if (file_.ReadAt(entry.local_offset, h, sizeof h) != sizeof h) return false;
    std::vector<uint8_t> extra(Get16(h + 28));
    if (file_.ReadAt(entry.local_offset + kLocalHeaderSize + Get16(h + 26), extra.data(), extra.size()) != extra.size())
        return false;
    for (size_t pos = 0; pos + 4 <= extra.size(); pos += 4 + Get16(&extra[pos + 2]))
        if (Get16(&extra[pos]) == kExtraZip64) return true;
    return false;
}

uint64_t ZipReader::RecordEnd(const ZipEntry& entry) const {
    uint64_t end = DataOffset(entry) + entry.compressed_size;
    if ((entry.flags & kFlagDataDescriptor) == 0) return end;
    // The descriptor's signature is optional, and its sizes are 64-bit when the local header
    // has a ZIP64 field; it must repeat what the central record says.
    uint8_t d[24] = {};
    size_t got = file_.ReadAt(end, d, static_cast<size_t>(std::min<uint64_t>(sizeof d, entry.next_record - end)));
    bool wide_first = LocalZip64(entry);
    for (bool signed_form : {true, false}) {
        for (bool wide : {wide_first, !wide_first}) {
            size_t at = signed_form ? 4 : 0;
            size_t length = at + 4 + (wide ? 16 : 8);
            if (length > got || (signed_form && Get32(d) != kDescriptorSignature) || Get32(d + at) != entry.crc) continue;
            uint64_t csize = wide ? Get64(d + at + 4) : Get32(d + at + 4);
            uint64_t usize = wide ? Get64(d + at + 12) : Get32(d + at + 8);
            if (csize == entry.compressed_size && usize == entry.original_size) return end + length;
        }
    }
    Broken("the data descriptor of " + entry.name + " does not match its central record");
}

std::string ZipReader::CentralRecord(const ZipEntry& entry) const {
    std::string record(entry.central_size, '\0');
    if (file_.ReadAt(entry.central_offset, reinterpret_cast<uint8_t*>(record.data()), record.size()) != record.size())
        throw Failure(result::kReadError, "cannot read the central record of " + entry.name);
    return record;
}

void ZipReader::Extract(const ZipEntry& entry, quorvex6::codecs::Sink& sink) const {
    if (entry.encrypted()) throw Failure(result::kPasswordFile, "encrypted: " + entry.name);
    uint64_t data = DataOffset(entry);
    RangeSource source(file_, data, entry.compressed_size);
    CrcSink crc_sink(sink);
    quorvex6::codecs::Status status;
    if (entry.method == kMethodStored) {
        if (entry.compressed_size != entry.original_size) Broken("stored sizes differ: " + entry.name);
        std::vector<uint8_t> buffer(std::min<uint64_t>(entry.original_size, 1 << 20));
        status = quorvex6::codecs::Status::ok;
        for (;;) {
            std::ptrdiff_t n = source.read(buffer.data(), buffer.size());
            if (n == 0) break;
            if (!crc_sink.write(buffer.data(), static_cast<size_t>(n))) {
                status = quorvex6::codecs::Status::write_failed;
                break;
            }
        }
    } else {
        const quorvex6::codecs::Method* method = quorvex6::codecs::find_method(MethodId(entry.method));
        if (method == nullptr || method->make_decoder == nullptr)
            throw Failure(result::kMethod, "method " + MethodText(entry.method) + " not supported: " + entry.name);
        std::unique_ptr<quorvex6::codecs::Decoder> decoder = method->make_decoder();
        status = decoder->decode(source, entry.compressed_size, entry.original_size, crc_sink);
    }
    switch (status) {
        case quorvex6::codecs::Status::ok: break;
        case quorvex6::codecs::Status::read_failed: throw Failure(result::kReadError, "read error in " + entry.name);
        case quorvex6::codecs::Status::write_failed: throw Failure(result::kWriteError, "cannot write " + entry.name);
        default: throw Failure(result::kBrokenData, "broken data in " + entry.name);
    }
    if (crc_sink.crc() != entry.crc) throw Failure(result::kCrcMismatch, "check value mismatch in " + entry.name);
}

}  // namespace quorvex6::backend::zip
