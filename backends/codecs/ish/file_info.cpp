#include "codecs/ish/file_info.h"

#include <algorithm>

#include "codecs/ish/crc16.h"

namespace quorvex6::backend::codecs::ish {

namespace {

// Header offsets; the volume fields (34..45) stay zero for a whole file.
constexpr std::size_t kVolume = 1;
constexpr std::size_t kSize = 2;
constexpr std::size_t kRecordLength = 6;
constexpr std::size_t kBlockLength = 8;
constexpr std::size_t kGroupBits = 10;
constexpr std::size_t kTypeCode = 11;
constexpr std::size_t kName = 12;
constexpr std::size_t kOs = 24;
constexpr std::size_t kExtensionType = 25;
constexpr std::size_t kFlags = 26;
constexpr std::size_t kTime = 27;
constexpr std::size_t kZone = 31;
constexpr std::size_t kWholeCrc16 = 34;
constexpr std::size_t kWholeCrc32 = 36;
constexpr std::size_t kVolumeBytes = 40;
constexpr std::size_t kVolumeCrc16 = 44;

constexpr std::uint8_t kTimeAndZoneValid = 3;
constexpr std::uint8_t kVolumeFlags = 0x1F;

void PutLe(std::uint8_t* p, std::uint32_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetLe(const std::uint8_t* p, std::size_t bytes) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return v;
}

void PutBe16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 8);
    p[1] = static_cast<std::uint8_t>(value);
}

std::uint16_t GetBe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

}  // namespace

HeaderRecord MakeHeader(const FileInfo& info) {
    const Layout& l = LayoutOf(info.variant);
    HeaderRecord h{};
    h[kVolume] = info.volume;
    PutLe(&h[kSize], info.size, 4);
    PutLe(&h[kRecordLength], static_cast<std::uint32_t>(l.record), 2);
    PutLe(&h[kBlockLength], static_cast<std::uint32_t>(l.record - 1), 2);
    h[kGroupBits] = l.group_bits;
    h[kTypeCode] = l.type_code;
    std::array<char, 11> field = NameField(info.short_name.empty() ? info.name : info.short_name);
    std::copy(field.begin(), field.end(), &h[kName]);
    h[kOs] = info.os;
    h[kExtensionType] = 1;
    h[kFlags] = kTimeAndZoneValid;
    PutLe(&h[kTime], info.dos_time, 4);
    PutLe(&h[kZone], static_cast<std::uint32_t>(info.zone_west), 3);
    if (info.volume != 0) {
        h[kFlags] = kVolumeFlags;
        PutBe16(&h[kWholeCrc16], info.set.whole_crc16);
        PutLe(&h[kWholeCrc32], info.set.whole_crc32, 4);
        PutLe(&h[kVolumeBytes], info.set.volume_bytes, 4);
        PutBe16(&h[kVolumeCrc16], info.set.volume_crc16);
    }
    SealRecord(h.data(), LayoutOf(l.header).record);
    return h;
}

std::optional<FileInfo> ParseHeader(const std::uint8_t* record, std::size_t length) {
    if (length < kVolumeCrc16 + 2) return std::nullopt;
    std::optional<Variant> variant = VariantFromCode(record[kTypeCode]);
    if (!variant) return std::nullopt;
    FileInfo info;
    info.variant = *variant;
    info.volume = record[kVolume];
    info.size = GetLe(&record[kSize], 4);
    std::array<char, 11> field{};
    std::copy(&record[kName], &record[kName] + field.size(), field.begin());
    info.short_name = ShortNameOf(field);
    info.os = record[kOs];
    info.dos_time = GetLe(&record[kTime], 4);
    // Sign-extend the 24-bit zone.
    info.zone_west = static_cast<std::int32_t>(GetLe(&record[kZone], 3) << 8) >> 8;
    if (info.volume != 0) {
        info.set.whole_crc16 = GetBe16(&record[kWholeCrc16]);
        info.set.whole_crc32 = GetLe(&record[kWholeCrc32], 4);
        info.set.volume_bytes = GetLe(&record[kVolumeBytes], 4);
        info.set.volume_crc16 = GetBe16(&record[kVolumeCrc16]);
    }
    return info;
}

// An empty file still makes one volume.
std::optional<std::uint32_t> VolumeCount(const FileInfo& info) {
    if (info.volume == 0 || info.set.volume_bytes == 0) return std::nullopt;
    const std::uint64_t per = info.set.volume_bytes;
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, (info.size + per - 1) / per));
}

std::optional<std::uint32_t> VolumeLength(const FileInfo& info) {
    std::optional<std::uint32_t> count = VolumeCount(info);
    if (!count || info.volume > *count) return std::nullopt;
    const std::uint64_t before = std::uint64_t{info.volume - 1u} * info.set.volume_bytes;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(info.set.volume_bytes, info.size - before));
}

std::array<char, 11> NameField(std::string_view name) {
    std::array<char, 11> field;
    field.fill(' ');
    std::size_t n = 0;
    for (char c : name) {
        if (n == field.size()) break;
        if (c == '.') {
            n = std::max<std::size_t>(n, 8);
            continue;
        }
        field[n++] = c;
    }
    return field;
}

std::string ShortNameOf(const std::array<char, 11>& field) {
    auto part = [&](std::size_t from, std::size_t to) {
        std::string s;
        for (std::size_t i = from; i < to && field[i] != ' ' && field[i] != '\0'; ++i)
            s += field[i];
        return s;
    };
    std::string base = part(0, 8);
    std::string extension = part(8, 11);
    return extension.empty() ? base : base + "." + extension;
}

}  // namespace quorvex6::backend::codecs::ish
