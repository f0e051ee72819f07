// What the tests of libunarj32j share: the library through the real loader, with the command
// lines the control builds, over the archives Debian's arj made (tests/data/gen/arj.sh).
#pragma once
#include <string>

#include "backends/support/backend_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {

class Unarj32j : public ScratchTest {
  protected:
    // "x -+" keeps folders, "e -+" drops them; switches as optArjExtract adds them.
    int32_t Extract(const fs::path& archive, const fs::path& folder, const std::string& verb = "x",
                    const std::string& switches = "", const std::string& tail = "*.*",
                    std::string* log = nullptr) {
        return lib_.Command("Unarj",
                            verb + " -+ " + switches + " " + Quote(archive) + " " +
                                QuoteFolder(folder) + " " + tail,
                            log);
    }
    int32_t Check(const fs::path& archive, int32_t mode) {
        return lib_.Get<QvCheckArchiveFn>("UnarjCheckArchive")(archive.c_str(), mode);
    }
    static fs::path Data(const std::string& name) { return TestData("arj/" + name); }

    BackendLibrary lib_{"unarj32j"};
};

}  // namespace quorvex6::testing
