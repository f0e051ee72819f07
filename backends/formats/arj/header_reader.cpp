#include "formats/arj/header_reader.h"

#include <algorithm>
#include <cstring>

#include "formats/arj/arj_format.h"
#include "io/byte_order.h"
#include "io/crc32.h"
#include "io/fault.h"

namespace quorvex6::backend::arj {

namespace {

void ReadExactly(io::RandomInput& in, std::uint64_t offset, std::uint8_t* data, std::size_t n,
                 const char* what) {
    std::ptrdiff_t got = in.read_at(offset, data, n);
    if (got < 0) throw io::Error(io::Fault::kRead, "cannot read the archive");
    if (static_cast<std::size_t>(got) != n)
        throw io::Error(io::Fault::kBrokenHeader, std::string("the archive ends inside ") + what +
                                                      " at offset " + std::to_string(offset));
}

// `n` bytes at `offset` followed by their CRC-32.
std::vector<std::uint8_t> ReadChecked(io::RandomInput& in, std::uint64_t offset, std::size_t n,
                                      const char* what) {
    std::vector<std::uint8_t> bytes(n + kCrcSize);
    ReadExactly(in, offset, bytes.data(), bytes.size(), what);
    if (io::Crc32(0, bytes.data(), n) != io::Le32(bytes.data() + n))
        throw io::Error(io::Fault::kHeaderChecksum, std::string("the CRC of ") + what +
                                                        " at offset " + std::to_string(offset) +
                                                        " disagrees");
    bytes.resize(n);
    return bytes;
}

// The NUL-terminated text at `pos`; a text that runs to the end of the header ends there.
std::string TextAt(const std::vector<std::uint8_t>& basic, std::size_t& pos) {
    std::size_t begin = std::min(pos, basic.size());
    auto nul = std::find(basic.begin() + static_cast<std::ptrdiff_t>(begin), basic.end(), 0);
    std::string text(basic.begin() + static_cast<std::ptrdiff_t>(begin), nul);
    pos = static_cast<std::size_t>(nul - basic.begin()) + 1;
    return text;
}

}  // namespace

std::optional<RawHeader> ReadHeader(io::RandomInput& in, std::uint64_t offset) {
    std::uint8_t lead[kLeadSize];
    ReadExactly(in, offset, lead, sizeof lead, "a header");
    if (lead[0] != kMark[0] || lead[1] != kMark[1])
        throw io::Error(io::Fault::kBrokenHeader,
                        "no header where one should be, at offset " + std::to_string(offset));
    std::uint16_t basic_size = io::Le16(lead + 2);
    if (basic_size == 0) return std::nullopt;
    if (basic_size < kMinFirstSize || basic_size > kMaxBasicSize)
        throw io::Error(io::Fault::kBrokenHeader, "a header of " + std::to_string(basic_size) +
                                                      " bytes at offset " + std::to_string(offset));
    RawHeader h;
    h.basic = ReadChecked(in, offset + kLeadSize, basic_size, "a header");
    std::size_t first_size = h.basic[kFirstSizeField];
    if (first_size < kMinFirstSize || first_size > basic_size)
        throw io::Error(io::Fault::kBrokenHeader,
                        "a header whose fixed part is " + std::to_string(first_size) +
                            " bytes, at offset " + std::to_string(offset));
    std::size_t pos = first_size;
    h.name = TextAt(h.basic, pos);
    h.comment = TextAt(h.basic, pos);
    std::uint64_t next = offset + kLeadSize + basic_size + kCrcSize;
    std::uint32_t extended_bytes = 0;
    for (;;) {
        std::uint8_t size_bytes[2];
        ReadExactly(in, next, size_bytes, sizeof size_bytes, "an extended header");
        next += sizeof size_bytes;
        std::uint16_t size = io::Le16(size_bytes);
        if (size == 0) break;
        extended_bytes += size;
        if (extended_bytes > kMaxExtendedBytes)
            throw io::Error(io::Fault::kBrokenHeader,
                            "extended headers past " + std::to_string(kMaxExtendedBytes) +
                                " bytes at offset " + std::to_string(offset));
        std::vector<std::uint8_t> bytes = ReadChecked(in, next, size, "an extended header");
        next += size + kCrcSize;
        ExtendedHeader e;
        e.tag = bytes[0];
        if (bytes.size() > 2) e.data.assign(bytes.begin() + 2, bytes.end());
        h.extended.push_back(std::move(e));
    }
    h.end = next;
    return h;
}

}  // namespace quorvex6::backend::arj
