#include "formats/zip/zip_end.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "formats/zip/zip_format.h"
#include "io/byte_order.h"
#include "io/fault.h"

namespace quorvex6::backend::zip {

size_t ReadAt(io::RandomInput& input, uint64_t offset, void* data, size_t n) {
    std::ptrdiff_t got = input.read_at(offset, data, n);
    if (got < 0) throw io::Error(io::Fault::kRead, "cannot read the archive");
    return static_cast<size_t>(got);
}

EndRecord FindEnd(io::RandomInput& input) {
    // The end record sits in the last 22 + 65535 bytes. A comment may hold the record's
    // signature too: the true record's comment ends where the file does. Failing that (bytes
    // appended after the archive), the last record whose comment fits in the file.
    const uint64_t size = input.size();
    uint64_t tail_size = std::min<uint64_t>(size, kEndSize + kMaxComment);
    std::vector<uint8_t> tail(tail_size);
    if (ReadAt(input, size - tail_size, tail.data(), tail_size) != tail_size)
        throw io::Error(io::Fault::kRead, "short read");
    std::optional<size_t> exact, fits;
    for (size_t i = tail_size >= kEndSize ? tail_size - kEndSize + 1 : 0; i-- > 0 && !exact;) {
        if (io::Le32(&tail[i]) != kEndSignature) continue;
        size_t stop = i + kEndSize + io::Le16(&tail[i + kEndFieldCommentLength]);
        if (stop == tail_size)
            exact = i;
        else if (stop < tail_size && !fits)
            fits = i;
    }
    if (!exact && !fits) throw io::Error(io::Fault::kNotArchive, "not a ZIP archive");
    size_t at = exact ? *exact : *fits;
    const uint8_t* e = &tail[at];
    EndRecord end;
    end.comment.assign(reinterpret_cast<const char*>(e + kEndSize),
                       io::Le16(e + kEndFieldCommentLength));
    end.entries = io::Le16(e + kEndFieldEntries);
    end.directory_size = io::Le32(e + kEndFieldDirectorySize);
    end.directory_offset = io::Le32(e + kEndFieldDirectoryOffset);
    end.position = size - tail_size + at;
    // ZIP64: a locator right before the end record names the ZIP64 end record.
    if (end.position >= kZip64LocatorSize) {
        uint8_t loc[kZip64LocatorSize];
        if (ReadAt(input, end.position - kZip64LocatorSize, loc, sizeof loc) == sizeof loc &&
            io::Le32(loc) == kZip64LocatorSignature) {
            uint64_t rec_at = io::Le64(loc + kZip64LocatorFieldOffset);
            uint8_t rec[kZip64EndSize];
            if (rec_at + kZip64EndSize > size ||
                ReadAt(input, rec_at, rec, sizeof rec) != sizeof rec ||
                io::Le32(rec) != kZip64EndSignature)
                throw io::Error(io::Fault::kBrokenHeader, "broken ZIP64 end record");
            end.entries = io::Le64(rec + kZip64EndFieldEntries);
            end.directory_size = io::Le64(rec + kZip64EndFieldDirectorySize);
            end.directory_offset = io::Le64(rec + kZip64EndFieldDirectoryOffset);
            end.position = rec_at;
        }
    }
    return end;
}

uint64_t ArchiveStart(const EndRecord& end) {
    if (end.directory_size > kMaxCentralDirectory || end.directory_size > end.position)
        throw io::Error(io::Fault::kBrokenHeader,
                        "central directory larger than the archive allows");
    uint64_t start = end.position - end.directory_size;
    return start - std::min(end.directory_offset, start);
}

std::optional<uint64_t> Bid(io::RandomInput& input) {
    try {
        return ArchiveStart(FindEnd(input));
    } catch (const io::Error&) {
        return std::nullopt;
    }
}

}  // namespace quorvex6::backend::zip
