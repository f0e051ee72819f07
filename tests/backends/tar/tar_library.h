// tar32 through the real loader, for the TAR tests: commands, listing, a scratch destination.
#pragma once
#include <sys/stat.h>

#include <map>
#include <string>

#include "backends/support/backend_library.h"

namespace quorvex6::testing {

// The room a file takes on disk, holes not counted.
inline uint64_t DiskUse(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_blocks) * 512 : UINT64_MAX;
}

// Bytes no compressor can shrink, the same for the same seed.
inline std::string Noise(size_t size, uint64_t seed) {
    std::string noise;
    noise.reserve(size);
    while (noise.size() < size)
        noise.push_back(static_cast<char>((seed = seed * 6364136223846793005u + 1) >> 56));
    return noise;
}

class TarLibrary : public ScratchTest {
  protected:
    int32_t Extract(const fs::path& archive, const std::string& opts = "--display-dialog=0",
                    std::string* log = nullptr) {
        return tar_.Command(
            "Tar", " -x " + opts + " -f " + Quote(archive) + " " + QuoteFolder(dest()) + " *.*",
            log);
    }
    int32_t Pack(const fs::path& archive, const fs::path& base, std::string* log = nullptr) {
        return tar_.Command(
            "Tar", "-c --display-dialog=0 -f " + Quote(archive) + " " + QuoteFolder(base) + " *.*",
            log);
    }
    fs::path dest() const { return root_ / "dest"; }
    std::map<std::string, QvEntryInfo> List(const fs::path& archive) {
        std::map<std::string, QvEntryInfo> seen;
        QvArchive h = tar_.Get<QvOpenArchiveFn>("TarOpenArchive")(0, archive.c_str(), 0);
        EXPECT_NE(h, 0u) << archive;
        alignas(4) char buffer[QV_ENTRY_BUFFER_SIZE];
        auto* info = reinterpret_cast<QvEntryInfo*>(buffer);
        auto next = tar_.Get<QvFindNextFn>("TarFindNext");
        for (int32_t rc = tar_.Get<QvFindFirstFn>("TarFindFirst")(h, "*.*", info); rc == 0;
             rc = next(h, info))
            seen[info->name] = *info;
        EXPECT_EQ(tar_.Get<QvCloseArchiveFn>("TarCloseArchive")(h), 0);
        return seen;
    }
    BackendLibrary tar_{"tar32"};
};

}  // namespace quorvex6::testing
