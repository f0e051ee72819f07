// Compressed TAR archives check themselves: gzip's CRC-32 and length, bzip2's and xz's CRCs and
// zstd's content checksum come at the end of the stream, after the TAR end blocks.
#include <vector>

#include "backends/tar/tar_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

// A gzip stream whose header holds a name so long that its 8-byte trailer straddles 512 KiB: a
// decoder that reads its input in pieces (of 256 KiB, say) meets the check apart from the data.
std::string GzipWithTrailerApart(const std::string& gzip) {
    constexpr size_t kEnd = (512 << 10) + 4;
    if (gzip.size() + 2 > kEnd) return {};
    std::string out = gzip;
    out[3] |= 0x08;  // FNAME
    out.insert(10, std::string(kEnd - gzip.size() - 1, 'n') + '\0');
    return out;
}

// Damage that only the stream's own check sees (inside stored or raw blocks, or in the check
// itself) must not extract as a sound archive, in our archives and in GNU tar's.
TEST_F(TarLibrary, DamageOnlyTheStreamsCheckSeesIsAnError) {
    fs::path base = root_ / "base";
    WriteAll(base / "rand.bin", Noise(500000, 11));
    struct Archive {
        std::string what;
        const char* program;
        std::string bytes;
    };
    std::vector<Archive> archives;
    for (auto [program, suffix] :
         {std::pair{"gzip", ".gz"}, {"bzip2", ".bz2"}, {"xz", ".xz"}, {"zstd", ".zst"}}) {
        fs::path ours = root_ / (std::string("ours.tar") + suffix);
        fs::path gnu = root_ / (std::string("gnu.tar") + suffix);
        ASSERT_EQ(Pack(ours, base), 0) << program;
        ASSERT_EQ(RunTool(std::string("tar -I ") + program + " -C " + Quote(base) + " -cf " +
                          Quote(gnu) + " ."),
                  0);
        archives.push_back({"ours " + std::string(program), program, ReadAll(ours)});
        archives.push_back({"GNU tar " + std::string(program), program, ReadAll(gnu)});
    }
    // zstd's content checksum, as the zstd program and GNU tar write it.
    EXPECT_EQ(RunTool("zstd -lv " + Quote(root_ / "ours.tar.zst") + " | grep -q 'Check: XXH64'"),
              0);
    ASSERT_EQ(RunTool("tar -b1 -C " + Quote(base) + " -cf " + Quote(root_ / "short.tar") +
                      " . && gzip -n " + Quote(root_ / "short.tar")),
              0);
    archives.push_back(
        {"gzip trailer apart", "gzip", GzipWithTrailerApart(ReadAll(root_ / "short.tar.gz"))});
    ASSERT_FALSE(archives.back().bytes.empty());

    struct Damage {
        const char* what;
        size_t from_end;  // 0: the middle
        char mask;
        bool cut;  // the bytes from there on are gone
    };
    const Damage damages[] = {
        {"a byte in the middle", 0, 0x10, false},
        {"the last byte (gzip's length, bzip2's CRC, zstd's checksum)", 1, char(0x80), false},
        {"the eighth byte from the end (gzip's CRC)", 8, 0x01, false},
        {"the last four bytes cut off", 4, 0, true},
    };
    auto check = tar_.Get<QvCheckArchiveFn>("TarCheckArchive");
    for (const Archive& a : archives) {
        fs::path archive = root_ / "a.tar.any";
        WriteAll(archive, a.bytes);
        fs::remove_all(dest());
        ASSERT_EQ(Extract(archive), 0) << a.what;
        EXPECT_EQ(ReadAll(dest() / "rand.bin"), ReadAll(base / "rand.bin")) << a.what;
        for (const Damage& d : damages) {
            std::string what = a.what + ": " + d.what;
            std::string bytes = a.bytes;
            size_t at = d.from_end ? bytes.size() - d.from_end : bytes.size() / 2;
            if (d.cut)
                bytes.resize(at);
            else
                bytes[at] ^= d.mask;
            WriteAll(archive, bytes);
            ASSERT_NE(RunTool(std::string(a.program) + " -t " + Quote(archive)), 0)
                << what;  // damage indeed
            fs::remove_all(dest());
            int32_t code = Extract(archive);
            EXPECT_TRUE(code == result::kBrokenData || code == result::kNotValidArchive)
                << what << ": " << code;
            EXPECT_EQ(check(archive.c_str(), 2), 0) << what;
        }
    }
}

}  // namespace
}  // namespace quorvex6::testing
