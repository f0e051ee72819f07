#include "formats/rar/rar5_writer.h"

#include <algorithm>
#include <vector>

#include "io/crc32.h"
#include "io/fault.h"

namespace quorvex6::backend::rar {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kCopyBuffer = std::size_t{1} << 18;
constexpr std::uint64_t kRedirectUnixSymlink = 1;
constexpr std::uint64_t kFiletimeUnitsPerSecond = 10000000;
constexpr std::int64_t kFiletimeToUnix = 11644473600;  // seconds from 1601 to 1970
constexpr std::int64_t kMaxUnixSeconds = 0xFFFFFFFF;

void PutVint(Bytes& b, std::uint64_t v) {
    while (v >= 0x80) {
        b.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    b.push_back(static_cast<std::uint8_t>(v));
}

void PutU32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutU64(Bytes& b, std::uint64_t v) {
    PutU32(b, static_cast<std::uint32_t>(v));
    PutU32(b, static_cast<std::uint32_t>(v >> 32));
}

std::size_t VintSize(std::uint64_t v) {
    std::size_t n = 1;
    for (; v >= 0x80; v >>= 7) ++n;
    return n;
}

void PutRecord(Bytes& extra, std::uint64_t type, const Bytes& fields) {
    PutVint(extra, VintSize(type) + fields.size());
    PutVint(extra, type);
    extra.insert(extra.end(), fields.begin(), fields.end());
}

// Times that do not fit 32-bit UNIX seconds go as Windows times, to the 100 ns.
Bytes TimeFields(const Time& t) {
    Bytes f;
    if (t.seconds >= 0 && t.seconds <= kMaxUnixSeconds) {
        PutVint(f, kTimeUnix | kTimeMtime | kTimeNanoseconds);
        PutU32(f, static_cast<std::uint32_t>(t.seconds));
        PutU32(f, t.nanoseconds);
    } else {
        PutVint(f, kTimeMtime);
        const std::int64_t since_1601 = std::max<std::int64_t>(t.seconds + kFiletimeToUnix, 0);
        PutU64(f, static_cast<std::uint64_t>(since_1601) * kFiletimeUnitsPerSecond +
                      t.nanoseconds / 100);
    }
    return f;
}

// The whole header: CRC-32, size, then `body`.
Bytes Framed(const Bytes& body) {
    Bytes framed;
    framed.reserve(4 + VintSize(body.size()) + body.size());
    PutU32(framed, 0);
    PutVint(framed, body.size());
    framed.insert(framed.end(), body.begin(), body.end());
    const std::uint32_t crc = io::Crc32(0, framed.data() + 4, framed.size() - 4);
    for (int i = 0; i < 4; ++i) framed[i] = static_cast<std::uint8_t>(crc >> (8 * i));
    return framed;
}

// The header of `e` with a zero CRC-32 of its data; `crc_at` gets that field's place in it.
Bytes FileHeader(const NewEntry& e, std::uint64_t size, std::size_t& crc_at) {
    if (e.name.size() > kMaxNameSize || e.link_target.size() > kMaxNameSize)
        throw io::Error(io::Fault::kNameTooLong, e.name + ": name too long for RAR");
    Bytes extra;
    extra.reserve(32 + e.link_target.size());
    PutRecord(extra, kExtraTime, TimeFields(e.mtime));
    if (e.kind == NewEntry::Kind::kSymlink) {
        Bytes f;
        PutVint(f, kRedirectUnixSymlink);
        PutVint(f, 0);
        PutVint(f, e.link_target.size());
        f.insert(f.end(), e.link_target.begin(), e.link_target.end());
        PutRecord(extra, kExtraRedirection, f);
    }
    const bool file = e.kind == NewEntry::Kind::kFile;
    // Room for the fixed fields at their longest, so that the header grows in place.
    constexpr std::size_t kFixedFields = 64;
    Bytes body;
    body.reserve(kFixedFields + e.name.size() + extra.size());
    PutVint(body, kHeaderFile);
    // Readers want a data size even where there is no data.
    PutVint(body, kHeaderHasExtra | kHeaderHasData);
    PutVint(body, extra.size());
    PutVint(body, size);
    PutVint(body, e.kind == NewEntry::Kind::kFolder ? kFile5Directory : file ? kFile5Crc : 0);
    PutVint(body, size);
    PutVint(body, e.mode);
    crc_at = body.size();
    if (file) PutU32(body, 0);
    PutVint(body, 0);  // stored, algorithm version 0
    PutVint(body, kHost5Unix);
    PutVint(body, e.name.size());
    body.insert(body.end(), e.name.begin(), e.name.end());
    body.insert(body.end(), extra.begin(), extra.end());
    Bytes framed = Framed(body);
    crc_at += framed.size() - body.size();
    return framed;
}

// Puts the data's CRC-32 in a header FileHeader made, and the header's own CRC-32 over it.
void SetDataCrc(std::uint8_t* header, std::size_t header_size, std::size_t crc_at,
                std::uint32_t crc) {
    for (int i = 0; i < 4; ++i) header[crc_at + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    const std::uint32_t own = io::Crc32(0, header + 4, header_size - 4);
    for (int i = 0; i < 4; ++i) header[i] = static_cast<std::uint8_t>(own >> (8 * i));
}

void Put(io::RandomOutput& out, const void* data, std::size_t size) {
    if (!out.write(data, size)) throw io::Error(io::Fault::kWrite, "cannot write the archive");
}

void Put(io::RandomOutput& out, const Bytes& bytes) { Put(out, bytes.data(), bytes.size()); }

// Reads exactly `size` bytes of `data` from `at` into `buffer`; a file that grew is cut at the
// size its header announces.
void ReadData(io::RandomInput& data, std::uint64_t at, std::uint8_t* buffer, std::size_t size,
              const std::string& name) {
    for (std::size_t done = 0; done < size;) {
        const std::ptrdiff_t n = data.read_at(at + done, buffer + done, size - done);
        if (n < 0) throw io::Error(io::Fault::kRead, "cannot read " + name);
        if (n == 0) throw io::Error(io::Fault::kRead, name + " shrank while it was read");
        done += static_cast<std::size_t>(n);
    }
}

// Copies exactly `size` bytes of `data` to the output's position; returns their CRC-32.
std::uint32_t StoreData(io::RandomOutput& out, io::RandomInput& data, std::uint64_t size,
                        const std::string& name) {
    Bytes buffer(static_cast<std::size_t>(std::min<std::uint64_t>(size, kCopyBuffer)));
    std::uint32_t crc = 0;
    for (std::uint64_t at = 0; at < size;) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
        ReadData(data, at, buffer.data(), want, name);
        crc = io::Crc32(crc, buffer.data(), want);
        Put(out, buffer.data(), want);
        at += want;
    }
    return crc;
}

Bytes EmptyHeader(std::uint64_t type) {
    Bytes body;
    PutVint(body, type);
    PutVint(body, 0);  // header flags
    PutVint(body, 0);  // archive or end flags
    return Framed(body);
}

}  // namespace

void WriteRar5Start(io::RandomOutput& out) {
    Put(out, kSignature5, sizeof kSignature5);
    Put(out, EmptyHeader(kHeaderMain));
}

void WriteRar5End(io::RandomOutput& out) { Put(out, EmptyHeader(kHeaderEnd)); }

// Each header is written once, its CRC-32 known: a small file is read whole first and goes out
// with its header in one write; a larger one is written behind the room its header takes (whose
// size the CRC does not change) and the header put before it afterwards.
void StoreRar5Entry(io::RandomOutput& out, const NewEntry& entry, io::RandomInput* data,
                    std::vector<std::uint8_t>& scratch) {
    const std::uint64_t size = data != nullptr ? data->size() : 0;
    std::size_t crc_at = 0;
    Bytes header = FileHeader(entry, size, crc_at);
    if (data == nullptr) {
        Put(out, header);
        return;
    }
    if (size <= kCopyBuffer) {
        const auto n = static_cast<std::size_t>(size);
        scratch.resize(header.size() + n);
        std::copy(header.begin(), header.end(), scratch.begin());
        ReadData(*data, 0, scratch.data() + header.size(), n, entry.name);
        SetDataCrc(scratch.data(), header.size(), crc_at,
                   io::Crc32(0, scratch.data() + header.size(), n));
        Put(out, scratch.data(), scratch.size());
        return;
    }
    const std::uint64_t header_at = out.position();
    out.seek(header_at + header.size());
    SetDataCrc(header.data(), header.size(), crc_at, StoreData(out, *data, size, entry.name));
    if (!out.write_at(header_at, header.data(), header.size()))
        throw io::Error(io::Fault::kWrite, "cannot write the archive");
}

void CopyRar5Entry(io::RandomInput& archive, const Entry& entry, io::RandomOutput& out) {
    Bytes buffer(kCopyBuffer);
    const std::uint64_t end = entry.data_offset + entry.packed_size;
    for (std::uint64_t at = entry.header_offset; at < end;) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), end - at));
        const std::ptrdiff_t n = archive.read_at(at, buffer.data(), want);
        if (n < 0) throw io::Error(io::Fault::kRead, "cannot read the archive");
        if (n == 0)
            throw io::Error(io::Fault::kBrokenData, entry.name + ": the archive ends in it");
        Put(out, buffer.data(), static_cast<std::size_t>(n));
        at += static_cast<std::uint64_t>(n);
    }
}

}  // namespace quorvex6::backend::rar
