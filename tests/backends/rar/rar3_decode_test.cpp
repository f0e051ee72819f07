// RAR 2.9's LZ, PPMd and filters over archives the real RAR program made (libarchive's and
// rarfile's suites): every entry comes out whole with its CRC-32 right; crafted damage gives a
// fault, never a crash.
#include <gtest/gtest.h>

#include <set>

#include "backends/rar/rar_test_support.h"

namespace quorvex6::backend::rar {
namespace {

struct Outcome {
    std::size_t decoded = 0;  // compressed entries that came out with their checksum right
    std::set<io::Fault> faults;
};

Outcome DecodeAll(const std::string& file) {
    Outcome o;
    std::optional<VolumeSet> opened;
    try {
        opened.emplace(OpenSet(RarData(file)));
    } catch (const io::Error& error) {
        o.faults.insert(error.fault());
        return o;
    }
    const VolumeSet& set = *opened;
    for (const JoinedEntry& j : set.entries()) {
        if (!j.entry.has_data() || j.entry.method == 0) continue;
        Decoded d = DecodeEntry(set, j);
        if (d.fault) {
            o.faults.insert(*d.fault);
        } else {
            EXPECT_EQ(d.bytes.size(), j.entry.original_size) << file << " " << j.entry.name;
            ++o.decoded;
        }
    }
    return o;
}

TEST(Rar3Decode, ArchivesOfTheRealProgramComeOutWithTheirChecksums) {
    struct Case {
        const char* file;
        std::size_t compressed_entries;
    };
    const Case cases[] = {
        {"libarchive/test_read_format_rar_compress_normal.rar", 1},
        {"libarchive/test_read_format_rar_binary_data.rar", 1},
        {"libarchive/test_read_format_rar_filter.rar", 1},
        {"libarchive/test_read_format_rar_compress_best.rar", 1},
        {"libarchive/test_read_format_rar_multivolume.part0001.rar", 1},
        {"libarchive/test_read_format_rar_unicode.rar", 1},
        {"libarchive/test_read_format_rar_sfx.exe", 1},
        {"rarfile/seektest.rar", 1},
    };
    for (const Case& c : cases) {
        Outcome o = DecodeAll(c.file);
        EXPECT_TRUE(o.faults.empty()) << c.file << " " << static_cast<int>(*o.faults.begin());
        EXPECT_GE(o.decoded, c.compressed_entries) << c.file;
    }
}

TEST(Rar3Decode, CraftedArchivesGiveAFault) {
    for (const char* file : {"libarchive/test_read_format_rar_ppmd_use_after_free.rar",
                             "libarchive/test_read_format_rar_ppmd_use_after_free2.rar",
                             "libarchive/test_read_format_rar_overflow.rar"}) {
        Outcome o = DecodeAll(file);
        EXPECT_FALSE(o.faults.empty()) << file;
    }
}

}  // namespace
}  // namespace quorvex6::backend::rar
