// Room on disk while extracting: sparse files take only the room of their data, and an entry
// that cannot fit the free space is refused before anything is written.
#include <fstream>

#include "backends/tar/tar_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

std::string BytesAt(const fs::path& file, uint64_t offset, size_t n) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::string bytes(n, '?');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    return bytes.substr(0, static_cast<size_t>(in.gcount()));
}

// A member of 1 TiB with a few KiB of data: written with holes, in every sparse form and
// compressed too, it takes a few KiB and a moment.
TEST_F(TarLibrary, AHugeSparseMemberTakesOnlyTheRoomOfItsData) {
    constexpr uint64_t kTiB = uint64_t{1} << 40;
    fs::path base = root_ / "base";
    WriteAll(base / "huge.bin", "");
    fs::resize_file(base / "huge.bin", kTiB);
    {
        std::fstream out(base / "huge.bin", std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(kTiB / 2));
        out << "middle";
        out.seekp(static_cast<std::streamoff>(kTiB - 3));
        out << "end";
    }
    for (const char* maker : {"tar -S --format=gnu", "tar -S --format=pax --sparse-version=1.0",
                              "tar -S -z", "bsdtar"}) {
        fs::path archive = root_ / "huge.tar";
        fs::remove(archive);
        ASSERT_EQ(RunTool(std::string(maker) + " -cf " + Quote(archive) + " -C " + Quote(base) +
                          " huge.bin"),
                  0)
            << maker;
        ASSERT_LT(fs::file_size(archive), 64u << 10) << maker;
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << maker;
        fs::path out = dest() / "huge.bin";
        EXPECT_EQ(fs::file_size(out), kTiB) << maker;
        EXPECT_LT(DiskUse(out), 1u << 20) << maker;
        EXPECT_EQ(BytesAt(out, kTiB / 2 - 2, 10), std::string("\0\0middle\0\0", 10)) << maker;
        EXPECT_EQ(BytesAt(out, kTiB - 5, 10), std::string("\0\0end", 5)) << maker;
        EXPECT_EQ(List(archive)["huge.bin"].original_size, 0xFFFFFFFFu) << maker;  // saturated
    }
}

// An entry whose data could never fit is refused before its file is made, naming it, instead of
// filling the disk; what came before it is extracted.
TEST_F(TarLibrary, AnEntryLargerThanTheFreeSpaceIsRefusedUpFront) {
    fs::path archive = root_ / "vast.tar";
    WriteAll(root_ / "make.py",
             "import io, sys, tarfile\n"
             "t = tarfile.open(sys.argv[1], 'w', format=tarfile.PAX_FORMAT)\n"
             "small = tarfile.TarInfo('small.txt')\n"
             "small.size = 6\n"
             "t.addfile(small, io.BytesIO(b'small\\n'))\n"
             "vast = tarfile.TarInfo('vast.bin')\n"
             "vast.size = 1 << 60\n"
             "t.fileobj.write(vast.tobuf(tarfile.PAX_FORMAT) + b'x' * 4096)\n"
             "t.fileobj.close()\n");
    ASSERT_EQ(RunTool("python3 " + Quote(root_ / "make.py") + " " + Quote(archive)), 0);
    std::string log;
    EXPECT_EQ(Extract(archive, "--display-dialog=0", &log), result::kDiskFull);
    EXPECT_NE(log.find("not enough free space for vast.bin"), std::string::npos) << log;
    EXPECT_EQ(ReadTree(dest()), (std::map<std::string, std::string>{{"small.txt", "small\n"}}));
}

}  // namespace
}  // namespace quorvex6::testing
