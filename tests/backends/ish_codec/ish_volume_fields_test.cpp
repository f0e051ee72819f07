// The header fields of a volume of a multi-volume set: where they stand, and what they say of
// the set's volumes.
#include <gtest/gtest.h>

#include <optional>

#include "codecs/ish/file_info.h"

namespace quorvex6::backend::codecs::ish::test {
namespace {

TEST(VolumeFields, StandWhereTheFormatPutsThemAndReadBack) {
    FileInfo info;
    info.short_name = "SET.BIN";
    info.size = 0x01020304;
    info.volume = 3;
    info.set = {.whole_crc16 = 0xA1B2,
                .whole_crc32 = 0xC1C2C3C4,
                .volume_bytes = 0x00D1D2D3,
                .volume_crc16 = 0xE1E2};
    HeaderRecord h = MakeHeader(info);
    EXPECT_EQ(h[1], 3);
    EXPECT_EQ(h[26], 0x1F);
    const std::uint8_t fields[] = {0xA1, 0xB2, 0xC4, 0xC3, 0xC2, 0xC1,
                                   0xD3, 0xD2, 0xD1, 0x00, 0xE1, 0xE2};
    for (std::size_t i = 0; i < sizeof fields; ++i) EXPECT_EQ(h[34 + i], fields[i]) << 34 + i;
    std::optional<FileInfo> back = ParseHeader(h.data(), 63);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->volume, 3);
    EXPECT_EQ(back->set.whole_crc16, 0xA1B2);
    EXPECT_EQ(back->set.whole_crc32, 0xC1C2C3C4U);
    EXPECT_EQ(back->set.volume_bytes, 0x00D1D2D3U);
    EXPECT_EQ(back->set.volume_crc16, 0xE1E2);

    info.volume = 0;  // a whole file writes none of them
    h = MakeHeader(info);
    EXPECT_EQ(h[26], 3);
    for (std::size_t i = 34; i < 46; ++i) EXPECT_EQ(h[i], 0) << i;
}

TEST(VolumeFields, CountAndLengthOfEachVolume) {
    struct Case {
        std::uint32_t size, per_volume;
        std::uint8_t volume;
        std::optional<std::uint32_t> count, length;
    };
    const Case cases[] = {
        {7196, 3598, 1, 2, 3598},  // an exact multiple makes no empty volume after it
        {7196, 3598, 2, 2, 3598},
        {7196, 3598, 3, 2, std::nullopt},
        {7197, 3598, 3, 3, 1},
        {0, 3598, 1, 1, 0},
        {100, 3598, 1, 1, 100},
        {100, 0, 1, std::nullopt, std::nullopt},
        {100, 3598, 0, std::nullopt, std::nullopt},
        {0xFFFFFFFF, 1, 255, 0xFFFFFFFF, 1},
    };
    for (const Case& c : cases) {
        FileInfo info;
        info.size = c.size;
        info.volume = c.volume;
        info.set.volume_bytes = c.per_volume;
        SCOPED_TRACE(std::to_string(c.size) + "/" + std::to_string(c.per_volume) + " #" +
                     std::to_string(c.volume));
        EXPECT_EQ(VolumeCount(info), c.count);
        EXPECT_EQ(VolumeLength(info), c.length);
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs::ish::test
