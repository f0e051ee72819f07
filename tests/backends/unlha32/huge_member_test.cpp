// Members of 4 GiB and more, made at test time from a sparse file (lh5 packs its 4 GiB of zeros
// into a few kilobytes). Minutes of work, so labelled `long`; under sanitizers only with
// QV_LHA_HUGE=1.
#include <cstdint>

#include "backends/unlha32/unlha32_fixture.h"

namespace {

using namespace quorvex6::unlha32_test;

uint32_t BaseField(const std::string& header, size_t at) {
    uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = v << 8 | static_cast<uint8_t>(header[at + static_cast<size_t>(k)]);
    return v;
}

// The sizes live in the 64-bit header 0x42, and the compressed size, which fits, in the base
// header too: libarchive reads the member whole, and the readers that know no 0x42 (lhasa, 7-Zip,
// jlha) step over it to the member behind.
TEST_F(Unlha32, MembersOfFourGiBAndMoreLong) {
    if (kSanitized && std::getenv("QV_LHA_HUGE") == nullptr) GTEST_SKIP() << "QV_LHA_HUGE unset";
    constexpr uint64_t kHuge = (uint64_t{4} << 30) + (1 << 20);
    const fs::path huge = dir_.Write("src/huge.bin", "the start");
    fs::resize_file(huge, kHuge - 8);
    std::ofstream(huge, std::ios::binary | std::ios::app) << "the end.";
    ASSERT_EQ(fs::file_size(huge), kHuge);
    dir_.Write("src/z-after.txt", Text(3000));
    const std::string arc = Arc("huge.lzh");
    ASSERT_EQ(Pack("-r0 -x0 -c1 -a0 -f1 -n -jm2", arc, dir_.str() + "/src"), 0) << log_;
    const std::string bytes = Read(arc);
    ASSERT_LT(bytes.size(), 1u << 20);
    // Our reader takes the sizes from 0x42; the base header holds the compressed one as it is.
    const QvEntryInfo entry = Entries(arc).at("huge.bin");
    EXPECT_LT(entry.compressed_size, 1u << 20);
    EXPECT_EQ(BaseField(bytes, 7), entry.compressed_size);
    EXPECT_EQ(BaseField(bytes, 11), 0xffffffffu);
    EXPECT_EQ(Run("t \"" + arc + "\""), 0) << log_;
    EXPECT_EQ(std::system(("bash -c 'set -o pipefail; bsdtar -xOf \"" + arc +
                           "\" huge.bin | cmp -s - \"" + huge.string() + "\"'")
                              .c_str()),
              0);
    const auto after = Tree(dir_.path() / "src");
    for (const Tool& tool : kTools) {
        const fs::path out = dir_.path() / (std::string("by-") + tool.name);
        EXPECT_EQ(ExtractWith(tool, arc, out, "z-after.txt"), 0) << tool.name;
        EXPECT_TRUE(Read(out / "z-after.txt") == after.at("z-after.txt")) << tool.name;
    }
}

}  // namespace
