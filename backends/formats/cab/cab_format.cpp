#include "formats/cab/cab_format.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "io/byte_order.h"

namespace quorvex6::backend::cab {

std::uint32_t Checksum(const std::uint8_t* data, std::size_t size, std::uint32_t seed) {
    std::size_t words = size / 4;
    for (std::size_t i = 0; i < words; ++i) seed ^= io::Le32(data + 4 * i);
    const std::uint8_t* rest = data + 4 * words;
    std::uint32_t tail = 0;
    for (std::size_t i = 0; i < size % 4; ++i) tail = (tail << 8) | rest[i];
    return seed ^ tail;
}

std::uint32_t BlockChecksum(const std::uint8_t* data, std::size_t size, std::uint16_t packed,
                            std::uint16_t unpacked) {
    std::uint8_t sizes[4];
    io::StoreLe16(sizes, packed);
    io::StoreLe16(sizes + 2, unpacked);
    return Checksum(sizes, sizeof sizes, Checksum(data, size, 0));
}

std::string MethodText(std::uint16_t type) {
    switch (type & kMethodMask) {
        case kMethodStore:
            return "NONE";
        case kMethodMszip:
            return "MSZIP";
        case kMethodQuantum:
            return "QTM" + std::to_string(QuantumLevelOf(type));
        case kMethodLzx:
            return "LZX" + std::to_string(WindowBitsOf(type));
        default:
            return "?";
    }
}

namespace {

bool LooksLikeHeader(const std::uint8_t* h, std::uint64_t room) {
    if (std::memcmp(h, kSignature, sizeof kSignature) != 0) return false;
    if (h[kHeaderFieldMajor] != kMajorVersion) return false;
    std::uint32_t size = io::Le32(h + kHeaderFieldCabinetSize);
    std::uint32_t files = io::Le32(h + kHeaderFieldFilesOffset);
    return size >= kHeaderSize && files >= kHeaderSize && files < size && files <= room;
}

}  // namespace

std::optional<std::uint64_t> Bid(io::RandomInput& input) {
    // A cabinet from its first byte is one even when cut short: its reader says what is wrong.
    std::uint8_t head[sizeof kSignature];
    if (input.read_at(0, head, sizeof head) == static_cast<std::ptrdiff_t>(sizeof head) &&
        std::memcmp(head, kSignature, sizeof head) == 0)
        return 0;
    constexpr std::size_t kChunk = 64 << 10;
    std::uint64_t end = std::min<std::uint64_t>(input.size(), kSfxSearchLimit + kHeaderSize);
    std::vector<std::uint8_t> buffer(kChunk + kHeaderSize);
    for (std::uint64_t at = 0; at + kHeaderSize <= end; at += kChunk) {
        std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), end - at));
        std::ptrdiff_t got = input.read_at(at, buffer.data(), want);
        if (got < static_cast<std::ptrdiff_t>(kHeaderSize)) return std::nullopt;
        std::size_t n = static_cast<std::size_t>(got);
        for (std::size_t i = 0; i + kHeaderSize <= n && i < kChunk; ++i)
            if (buffer[i] == 'M' && LooksLikeHeader(&buffer[i], input.size() - at - i))
                return at + i;
    }
    return std::nullopt;
}

}  // namespace quorvex6::backend::cab
