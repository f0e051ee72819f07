#include "formats/zip/zip_writer.h"

#include "common/code_page.h"
#include "common/dos_time.h"
#include "common/result.h"
#include "formats/zip/byte_order.h"
#include "formats/zip/zip_format.h"
#include "formats/zip/zip_relocate.h"

namespace quorvex6::backend::zip {

namespace {

uint16_t VersionNeeded(const WriteEntry& e, bool zip64) {
    if (zip64) return 45;
    return e.method == kMethodDeflate ? 20 : 10;
}

// Names that are not UTF-8 (any bytes are a POSIX name) go unflagged, as they are.
uint16_t Flags(const WriteEntry& e) {
    bool utf8 = !IsAscii(e.name) && IsValidUtf8(e.name);
    return static_cast<uint16_t>(e.flags | (utf8 ? kFlagUtf8 : 0));
}

void PutTimestamp(std::string& out, int64_t mtime) {
    Put16(out, kExtraTimestamp);
    Put16(out, 5);
    out += '\x01';
    Put32(out, static_cast<uint32_t>(static_cast<int32_t>(mtime)));
}

uint32_t Narrow(uint64_t v) { return v >= k32Max ? k32Max : static_cast<uint32_t>(v); }

}  // namespace

std::string ZipWriter::LocalHeader(const WriteEntry& e, bool zip64) const {
    if (e.name.size() > k16Max) throw Failure(result::kPathTooLong, "name too long: " + e.name.substr(0, 80));
    DosDateTime dos = ToDosDateTime(e.mtime);
    std::string h;
    Put32(h, kLocalSignature);
    Put16(h, VersionNeeded(e, zip64));
    Put16(h, Flags(e));
    Put16(h, e.method);
    Put16(h, dos.time);
    Put16(h, dos.date);
    Put32(h, e.crc);
    Put32(h, zip64 ? k32Max : static_cast<uint32_t>(e.compressed_size));
    Put32(h, zip64 ? k32Max : static_cast<uint32_t>(e.original_size));
    Put16(h, static_cast<uint16_t>(e.name.size()));
    Put16(h, static_cast<uint16_t>(9 + (zip64 ? 20 : 0)));
    h += e.name;
    PutTimestamp(h, e.mtime);
    if (zip64) {
        Put16(h, kExtraZip64);
        Put16(h, 16);
        Put64(h, e.original_size);
        Put64(h, e.compressed_size);
    }
    return h;
}

void ZipWriter::Add(WriteEntry entry, const uint8_t* data, size_t size) {
    bool zip64 = entry.original_size >= k32Max || entry.compressed_size >= k32Max;
    uint64_t offset = out_.position();
    std::string header = LocalHeader(entry, zip64);
    out_.Write(header.data(), header.size());
    if (size > 0) out_.Write(data, size);
    written_.push_back({std::move(entry), offset, {}});
}

void ZipWriter::AddCopied(std::string central_record, uint64_t offset) {
    written_.push_back({WriteEntry{}, offset, std::move(central_record)});
}

void ZipWriter::Begin(WriteEntry entry) {
    // A header that may need 64-bit sizes reserves them now; its size cannot change later.
    open_zip64_ = entry.original_size >= k32Max;
    uint64_t offset = out_.position();
    std::string header = LocalHeader(entry, open_zip64_);
    out_.Write(header.data(), header.size());
    data_start_ = out_.position();
    written_.push_back({std::move(entry), offset, {}});
}

void ZipWriter::End(uint32_t crc, uint16_t method, uint64_t compressed_size) {
    Written& w = written_.back();
    w.entry.crc = crc;
    w.entry.method = method;
    w.entry.compressed_size = compressed_size;
    if (!open_zip64_ && compressed_size >= k32Max) throw Failure(result::kWriteError, "entry grew past 4 GiB: " + w.entry.name);
    std::string header = LocalHeader(w.entry, open_zip64_);
    out_.WriteAt(w.offset, header.data(), header.size());
}

void ZipWriter::Finish(const std::string& comment) {
    uint64_t directory_start = out_.position();
    std::string dir;
    for (const Written& w : written_) {
        if (dir.size() >= (1 << 20)) {
            out_.Write(dir.data(), dir.size());
            dir.clear();
        }
        if (!w.central.empty()) {
            dir += RelocatedCentral(w.central, w.offset);
            continue;
        }
        const WriteEntry& e = w.entry;
        bool wide_usize = e.original_size >= k32Max, wide_csize = e.compressed_size >= k32Max, wide_offset = w.offset >= k32Max;
        bool zip64 = wide_usize || wide_csize || wide_offset;
        std::string extra;
        PutTimestamp(extra, e.mtime);
        if (zip64) {
            Put16(extra, kExtraZip64);
            Put16(extra, static_cast<uint16_t>(8 * (wide_usize + wide_csize + wide_offset)));
            if (wide_usize) Put64(extra, e.original_size);
            if (wide_csize) Put64(extra, e.compressed_size);
            if (wide_offset) Put64(extra, w.offset);
        }
        DosDateTime dos = ToDosDateTime(e.mtime);
        Put32(dir, kCentralSignature);
        Put16(dir, kMadeByUnix | kMadeByVersion);
        Put16(dir, VersionNeeded(e, zip64));
        Put16(dir, Flags(e));
        Put16(dir, e.method);
        Put16(dir, dos.time);
        Put16(dir, dos.date);
        Put32(dir, e.crc);
        Put32(dir, Narrow(e.compressed_size));
        Put32(dir, Narrow(e.original_size));
        Put16(dir, static_cast<uint16_t>(e.name.size()));
        Put16(dir, static_cast<uint16_t>(extra.size()));
        Put16(dir, 0);  // comment
        Put16(dir, 0);  // disk
        Put16(dir, 0);  // internal attributes
        Put32(dir, (e.unix_mode << 16) | e.dos_attributes);
        Put32(dir, Narrow(w.offset));
        dir += e.name;
        dir += extra;
    }
    out_.Write(dir.data(), dir.size());
    uint64_t directory_end = out_.position();
    uint64_t directory_size = directory_end - directory_start;
    uint64_t count = written_.size();
    std::string end;
    if (count >= k16Max || directory_size >= k32Max || directory_start >= k32Max) {
        Put32(end, kZip64EndSignature);
        Put64(end, kZip64EndSize - 12);
        Put16(end, kMadeByUnix | kMadeByVersion);
        Put16(end, 45);
        Put32(end, 0);
        Put32(end, 0);
        Put64(end, count);
        Put64(end, count);
        Put64(end, directory_size);
        Put64(end, directory_start);
        Put32(end, kZip64LocatorSignature);
        Put32(end, 0);
        Put64(end, directory_end);
        Put32(end, 1);
    }
    Put32(end, kEndSignature);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, static_cast<uint16_t>(count >= k16Max ? k16Max : count));
    Put16(end, static_cast<uint16_t>(count >= k16Max ? k16Max : count));
    Put32(end, Narrow(directory_size));
    Put32(end, Narrow(directory_start));
    Put16(end, static_cast<uint16_t>(comment.size()));
    end += comment;
    out_.Write(end.data(), end.size());
}

}  // namespace quorvex6::backend::zip
