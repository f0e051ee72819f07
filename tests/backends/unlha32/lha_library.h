// libunlha32 through the loader, with the command lines the control builds, and the other LHA
// readers that the archives it writes are checked with.
#pragma once
#include <array>
#include <cstdlib>
#include <string>

#include "backends/support/backend_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {

class LhaLibrary : public ScratchTest {
  protected:
    // The control's pack line: every file below `base`, with folders and dot-files.
    int32_t Pack(const fs::path& archive, const fs::path& base, std::string* log = nullptr) {
        return lha_.Command(
            "Unlha",
            "u -+ -r2 -x1 -c1 -a1 -f1 -n -jm2 " + Quote(archive) + " " + QuoteFolder(base) + " *.*",
            log);
    }
    int32_t Extract(const fs::path& archive, const fs::path& dest, std::string* log = nullptr,
                    const std::string& opts = "-x1 -c1 -f1 -n") {
        return lha_.Command(
            "Unlha", "x -+ " + opts + " " + Quote(archive) + " " + QuoteFolder(dest) + " *.*", log);
    }
    int32_t Check(const fs::path& archive, int32_t mode) {
        return lha_.Get<QvCheckArchiveFn>("UnlhaCheckArchive")(archive.c_str(), mode);
    }
    BackendLibrary lha_{"unlha32"};
};

// Another program that extracts LHA archives; its exit status is not trusted, the files are.
struct LhaReader {
    const char* name;
    const char* command;  // %A the archive, %D the destination folder
};

inline constexpr std::array<LhaReader, 4> kLhaReaders = {{
    {"lha", "lha xqyw=\"%D\" \"%A\""},
    {"lhasa", "cd \"%D\" && lhasa xq \"%A\""},
    {"7zz", "7zz x -y -bd \"-o%D\" \"%A\""},
    {"bsdtar", "bsdtar -xf \"%A\" -C \"%D\""},
}};

inline void ExtractWith(const LhaReader& reader, const fs::path& archive, const fs::path& dest) {
    fs::remove_all(dest);
    fs::create_directories(dest);
    std::string line = reader.command;
    for (auto [key, value] :
         {std::pair<std::string, std::string>{"%A", archive.string()}, {"%D", dest.string()}}) {
        for (size_t at = line.find(key); at != std::string::npos;
             at = line.find(key, at + value.size()))
            line.replace(at, key.size(), value);
    }
    RunTool(line);
}

}  // namespace quorvex6::testing
