// Each built library (QV_LIBRARIES, in the folder QV_LIBRARY_DIR) needs the shared libraries of
// its own codecs only: every one more is opened, mapped and relocated at each process start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "archivers/dynamic_symbols.h"
#include "platform/loader.h"

namespace quorvex6 {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::vector<std::string> BuiltLibraries() {
    std::vector<std::string> names;
    std::istringstream list(Env("QV_LIBRARIES"));
    for (std::string name; std::getline(list, name, ',');) {
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

// The codecs' shared libraries, by the start of their file names.
const std::vector<std::string> kCodecLibraries = {"libisal.so", "libz.so",    "libbz2.so",
                                                  "liblzma.so", "libzstd.so", "libarchive.so"};

// Which of them each library may need; one not named here may need none.
const std::map<std::string, std::set<std::string>> kAllowed = {
    {"unzip32", {"libisal.so", "libz.so", "libbz2.so", "liblzma.so", "libzstd.so"}},
    {"zip32j", {"libisal.so", "libz.so", "libbz2.so", "liblzma.so", "libzstd.so"}},
    {"tar32", {"libisal.so", "libz.so", "libbz2.so", "liblzma.so", "libzstd.so", "libarchive.so"}},
    {"cab32", {"libisal.so", "libz.so"}},  // MSZIP: ISA-L for near-random blocks
};

TEST(BuiltDependencies, EachLibraryNeedsOnlyItsOwnCodecsLibraries) {
    const std::vector<std::string> built = BuiltLibraries();
    ASSERT_FALSE(built.empty());
    for (const std::string& name : built) {
        const auto allowed = kAllowed.find(name);
        const std::string file =
            Env("QV_LIBRARY_DIR") + "/" + platform::DynamicLibrary::FileNameOf(name);
        for (const std::string& needed : testing::NeededLibraries(file)) {
            for (const std::string& codec : kCodecLibraries) {
                if (needed.rfind(codec, 0) != 0) continue;
                EXPECT_TRUE(allowed != kAllowed.end() && allowed->second.count(codec) != 0)
                    << name << " needs " << needed;
            }
        }
    }
}

TEST(BuiltDependencies, NeededLibrariesAreRead) {
    const std::vector<std::string> built = BuiltLibraries();
    ASSERT_FALSE(built.empty());
    const std::string file =
        Env("QV_LIBRARY_DIR") + "/" + platform::DynamicLibrary::FileNameOf(built.front());
    const std::set<std::string> needed = testing::NeededLibraries(file);
    EXPECT_TRUE(std::any_of(needed.begin(), needed.end(), [](const std::string& n) {
        return n.rfind("libc.so", 0) == 0;
    })) << file;
}

}  // namespace
}  // namespace quorvex6
