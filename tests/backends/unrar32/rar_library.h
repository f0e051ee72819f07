// What the tests of libunrar32 share: the library through the real loader, with the command
// lines the control builds, over the archives in tests/data/rar.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "backends/support/backend_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {

class Unrar32 : public ScratchTest {
  protected:
    // "-x" keeps folders, "-e" drops them; switches as optRarExtract adds them.
    int32_t Extract(const fs::path& archive, const fs::path& folder, const std::string& verb = "-x",
                    const std::string& switches = "", const std::string& tail = "*.*",
                    std::string* log = nullptr) {
        return lib_.Command(
            "Unrar",
            verb + " " + switches + " " + Quote(archive) + " " + QuoteFolder(folder) + " " + tail,
            log);
    }
    int32_t Check(const fs::path& archive, int32_t mode) {
        return lib_.Get<QvCheckArchiveFn>("UnrarCheckArchive")(archive.c_str(), mode);
    }
    // Every record of the enumerated listing, by name; empty when the archive does not open.
    std::map<std::string, QvEntryInfo> List(const fs::path& archive) {
        std::map<std::string, QvEntryInfo> seen;
        QvArchive handle = lib_.Get<QvOpenArchiveFn>("UnrarOpenArchive")(0, archive.c_str(), 0);
        if (handle == QvArchive{}) return seen;
        QvEntryInfo info{};
        for (int r = lib_.Get<QvFindFirstFn>("UnrarFindFirst")(handle, "*.*", &info); r == 0;
             r = lib_.Get<QvFindNextFn>("UnrarFindNext")(handle, &info))
            seen[info.name] = info;
        lib_.Get<QvCloseArchiveFn>("UnrarCloseArchive")(handle);
        return seen;
    }
    static fs::path Data(const std::string& name) { return TestData("rar/" + name); }

    BackendLibrary lib_{"unrar32"};
};

}  // namespace quorvex6::testing
