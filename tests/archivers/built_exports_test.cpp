// Each library built into the folder LD_LIBRARY_PATH names (QV_LIBRARIES lists them) loads
// through the control's loader, offers every entry point the control binds from it, and exports
// nothing else: a library that gains, loses or leaks an export fails here, not in a host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "archivers/bound_names.h"
#include "archivers/dynamic_symbols.h"
#include "platform/loader.h"

namespace quorvex6 {
namespace {

using archivers::kLibraries;

std::string Folder() {
    const char* folder = std::getenv("LD_LIBRARY_PATH");
    return folder != nullptr ? folder : "";
}

std::vector<std::string> BuiltLibraries() {
    std::vector<std::string> names;
    std::istringstream list(std::getenv("QV_LIBRARIES") ? std::getenv("QV_LIBRARIES") : "");
    for (std::string name; std::getline(list, name, ',');) {
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

class BuiltExports : public ::testing::TestWithParam<std::string> {};

TEST_P(BuiltExports, ExportItsSetAndNothingElse) {
    const std::string& name = GetParam();
    const auto* library = std::find_if(kLibraries.begin(), kLibraries.end(),
                                       [&](const auto& known) { return known.name == name; });
    ASSERT_NE(library, kLibraries.end()) << name << " is not a library the control binds";
    const std::set<std::string> expected = archivers::BoundNames(library->id);

    const auto loaded = platform::DynamicLibrary::Open(name);
    for (const std::string& entry : expected) EXPECT_NO_THROW(loaded->Find(entry)) << entry;
    const std::string file = Folder() + "/" + platform::DynamicLibrary::FileNameOf(name);
    EXPECT_EQ(testing::ExportedNames(file), expected) << file;
}

// Named after the folder too: the real libraries and the fakes share names.
INSTANTIATE_TEST_SUITE_P(
    Built, BuiltExports, ::testing::ValuesIn(BuiltLibraries()), [](const auto& info) {
        const std::string folder = Folder();
        std::string name = folder.substr(folder.rfind('/') + 1) + "_" + info.param;
        std::replace_if(
            name.begin(), name.end(),
            [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

}  // namespace
}  // namespace quorvex6
