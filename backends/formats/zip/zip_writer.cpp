#include "formats/zip/zip_writer.h"

#include "common/dos_time.h"
#include "formats/zip/zip_format.h"
#include "formats/zip/zip_methods.h"
#include "formats/zip/zip_reader.h"
#include "formats/zip/zip_relocate.h"
#include "io/byte_order.h"
#include "io/crc32.h"
#include "io/fault.h"
#include "io/position_sink.h"
#include "io/text.h"

namespace quorvex6::backend::zip {

namespace {

uint16_t VersionNeeded(const WriteEntry& e, bool zip64) {
    if (zip64) return kVersionZip64;
    const MethodRow* row = FindMethod(e.method);
    if (row == nullptr || !row->writable)
        throw io::Error(io::Fault::kUnknownMethod, "cannot write method " + MethodText(e.method));
    return row->version_needed;
}

// Names that are not UTF-8 (any bytes are a POSIX name) go unflagged, as they are.
uint16_t Flags(const WriteEntry& e) {
    bool utf8 = !io::IsAscii(e.name) && io::IsValidUtf8(e.name);
    return static_cast<uint16_t>(e.flags | (utf8 ? kFlagUtf8 : 0));
}

void PutTimestamp(std::string& out, int64_t mtime) {
    io::PutLe16(out, kExtraTimestamp);
    io::PutLe16(out, 5);
    out += '\x01';
    io::PutLe32(out, static_cast<uint32_t>(static_cast<int32_t>(mtime)));
}

uint32_t Narrow(uint64_t v) { return v >= k32Max ? k32Max : static_cast<uint32_t>(v); }

}  // namespace

std::string ZipWriter::LocalHeader(const WriteEntry& e, bool zip64) {
    if (e.name.size() > k16Max)
        throw io::Error(io::Fault::kNameTooLong, "name too long: " + e.name.substr(0, 80));
    DosDateTime dos = ToDosDateTime(e.mtime);
    std::string h;
    io::PutLe32(h, kLocalSignature);
    io::PutLe16(h, VersionNeeded(e, zip64));
    io::PutLe16(h, Flags(e));
    io::PutLe16(h, e.method);
    io::PutLe16(h, dos.time);
    io::PutLe16(h, dos.date);
    io::PutLe32(h, e.crc);
    io::PutLe32(h, zip64 ? k32Max : static_cast<uint32_t>(e.compressed_size));
    io::PutLe32(h, zip64 ? k32Max : static_cast<uint32_t>(e.original_size));
    io::PutLe16(h, static_cast<uint16_t>(e.name.size()));
    io::PutLe16(h, static_cast<uint16_t>(9 + (zip64 ? 20 : 0)));
    h += e.name;
    PutTimestamp(h, e.mtime);
    if (zip64) {
        io::PutLe16(h, kExtraZip64);
        io::PutLe16(h, 16);
        io::PutLe64(h, e.original_size);
        io::PutLe64(h, e.compressed_size);
    }
    return h;
}

void ZipWriter::Put(const void* data, size_t size) {
    if (!out_.write(data, size)) throw io::Error(io::Fault::kWrite, "cannot write the archive");
}

void ZipWriter::Add(WriteEntry entry, const uint8_t* data, size_t size) {
    bool zip64 = entry.original_size >= k32Max || entry.compressed_size >= k32Max;
    uint64_t offset = out_.position();
    std::string header = LocalHeader(entry, zip64);
    Put(header.data(), header.size());
    if (size > 0) Put(data, size);
    written_.push_back({std::move(entry), offset, {}});
}

void ZipWriter::CopyRaw(const ZipReader& reader, const ZipEntry& entry) {
    uint64_t offset = out_.position();
    io::PositionSink sink(out_);
    reader.CopyRaw(entry, sink);
    written_.push_back({WriteEntry{}, offset, reader.CentralRecord(entry)});
}

void ZipWriter::Begin(WriteEntry entry) {
    // A header that may need 64-bit sizes reserves them now; its size cannot change later.
    open_zip64_ = entry.original_size >= k32Max;
    uint64_t offset = out_.position();
    std::string header = LocalHeader(entry, open_zip64_);
    Put(header.data(), header.size());
    data_start_ = out_.position();
    written_.push_back({std::move(entry), offset, {}});
}

void ZipWriter::End(uint32_t crc, uint16_t method, uint64_t compressed_size) {
    Written& w = written_.back();
    w.entry.crc = crc;
    w.entry.method = method;
    w.entry.compressed_size = compressed_size;
    if (!open_zip64_ && compressed_size >= k32Max)
        throw io::Error(io::Fault::kWrite, "entry grew past 4 GiB: " + w.entry.name);
    std::string header = LocalHeader(w.entry, open_zip64_);
    if (!out_.write_at(w.offset, header.data(), header.size()))
        throw io::Error(io::Fault::kWrite, "cannot write the archive");
}

void ZipWriter::Store(io::Source& data) {
    std::vector<uint8_t> buffer(1 << 20);
    uint32_t crc = 0;
    uint64_t size = 0;
    for (;;) {
        std::ptrdiff_t n = data.read(buffer.data(), buffer.size());
        if (n == 0) break;
        if (n < 0)
            throw io::Error(io::Fault::kRead,
                            "cannot read the data of " + written_.back().entry.name);
        crc = io::Crc32(crc, buffer.data(), static_cast<size_t>(n));
        Put(buffer.data(), static_cast<size_t>(n));
        size += static_cast<uint64_t>(n);
    }
    End(crc, kMethodStored, size);
}

void ZipWriter::Finish(const std::string& comment) {
    uint64_t directory_start = out_.position();
    std::string dir;
    for (const Written& w : written_) {
        if (dir.size() >= (1 << 20)) {
            Put(dir.data(), dir.size());
            dir.clear();
        }
        if (!w.central.empty()) {
            dir += RelocatedCentral(w.central, w.offset);
            continue;
        }
        const WriteEntry& e = w.entry;
        bool wide_usize = e.original_size >= k32Max, wide_csize = e.compressed_size >= k32Max,
             wide_offset = w.offset >= k32Max;
        bool zip64 = wide_usize || wide_csize || wide_offset;
        std::string extra;
        PutTimestamp(extra, e.mtime);
        if (zip64) {
            io::PutLe16(extra, kExtraZip64);
            io::PutLe16(extra, static_cast<uint16_t>(8 * (wide_usize + wide_csize + wide_offset)));
            if (wide_usize) io::PutLe64(extra, e.original_size);
            if (wide_csize) io::PutLe64(extra, e.compressed_size);
            if (wide_offset) io::PutLe64(extra, w.offset);
        }
        DosDateTime dos = ToDosDateTime(e.mtime);
        io::PutLe32(dir, kCentralSignature);
        io::PutLe16(dir, kMadeByUnix | kMadeByVersion);
        io::PutLe16(dir, VersionNeeded(e, zip64));
        io::PutLe16(dir, Flags(e));
        io::PutLe16(dir, e.method);
        io::PutLe16(dir, dos.time);
        io::PutLe16(dir, dos.date);
        io::PutLe32(dir, e.crc);
        io::PutLe32(dir, Narrow(e.compressed_size));
        io::PutLe32(dir, Narrow(e.original_size));
        io::PutLe16(dir, static_cast<uint16_t>(e.name.size()));
        io::PutLe16(dir, static_cast<uint16_t>(extra.size()));
        io::PutLe16(dir, 0);  // comment
        io::PutLe16(dir, 0);  // disk
        io::PutLe16(dir, 0);  // internal attributes
        io::PutLe32(dir, (e.unix_mode << 16) | e.dos_attributes);
        io::PutLe32(dir, Narrow(w.offset));
        dir += e.name;
        dir += extra;
    }
    Put(dir.data(), dir.size());
    uint64_t directory_end = out_.position();
    uint64_t directory_size = directory_end - directory_start;
    uint64_t count = written_.size();
    std::string end;
    if (count >= k16Max || directory_size >= k32Max || directory_start >= k32Max) {
        io::PutLe32(end, kZip64EndSignature);
        io::PutLe64(end, kZip64EndSize - 12);
        io::PutLe16(end, kMadeByUnix | kMadeByVersion);
        io::PutLe16(end, kVersionZip64);
        io::PutLe32(end, 0);
        io::PutLe32(end, 0);
        io::PutLe64(end, count);
        io::PutLe64(end, count);
        io::PutLe64(end, directory_size);
        io::PutLe64(end, directory_start);
        io::PutLe32(end, kZip64LocatorSignature);
        io::PutLe32(end, 0);
        io::PutLe64(end, directory_end);
        io::PutLe32(end, 1);
    }
    io::PutLe32(end, kEndSignature);
    io::PutLe16(end, 0);
    io::PutLe16(end, 0);
    io::PutLe16(end, static_cast<uint16_t>(count >= k16Max ? k16Max : count));
    io::PutLe16(end, static_cast<uint16_t>(count >= k16Max ? k16Max : count));
    io::PutLe32(end, Narrow(directory_size));
    io::PutLe32(end, Narrow(directory_start));
    io::PutLe16(end, static_cast<uint16_t>(comment.size()));
    end += comment;
    Put(end.data(), end.size());
}

}  // namespace quorvex6::backend::zip
