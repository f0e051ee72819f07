#include <gtest/gtest.h>

#include "archivers/bindings.h"
#include "control/error_reporting.h"
#include "platform/codepage.h"

namespace quorvex6 {
namespace {

// Run with no fake on the search path: the loader finds no such library file.
TEST(MissingLibrary, DescriptionNamesTheFileLookedFor) {
    try {
        archivers::BindAddress(archivers::Library::unrar32, "UnrarGetVersion");
        FAIL() << "an absent library was bound";
    } catch (const TrappedFailure& failure) {
        const std::string text = platform::ToSystem(failure.description());
        EXPECT_NE(text.find("libunrar32.so"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace quorvex6
