#include "archivers/bindings.h"

#include <gtest/gtest.h>

#include "control/error_reporting.h"
#include "fakes/fake_archiver.h"
#include "platform/codepage.h"

namespace quorvex6 {
namespace {

using archivers::Bind;
using archivers::Library;
using archivers::Shape;
using testing::FakeArchiver;

// Calls one entry point of the table with harmless arguments.
void CallThroughTable(const archivers::EntryPoint& entry) {
    const std::string name(entry.name);
    char buffer[64] = {};
    QvEntryInfo info{};
    switch (entry.shape) {
        case Shape::Command:
            Bind<Shape::Command>(entry.library, name)(7, "x", buffer, sizeof buffer);
            break;
        case Shape::IshCommand:
            Bind<Shape::IshCommand>(entry.library, name)(7, "x");
            break;
        case Shape::Version16:
            Bind<Shape::Version16>(entry.library, name)();
            break;
        case Shape::Version32:
            Bind<Shape::Version32>(entry.library, name)();
            break;
        case Shape::Running:
            Bind<Shape::Running>(entry.library, name)();
            break;
        case Shape::Check:
            Bind<Shape::Check>(entry.library, name)("a", 1);
            break;
        case Shape::Open:
            Bind<Shape::Open>(entry.library, name)(7, "a", 0);
            break;
        case Shape::FindFirst:
            Bind<Shape::FindFirst>(entry.library, name)(1, "*.*", &info);
            break;
        case Shape::FindNext:
            Bind<Shape::FindNext>(entry.library, name)(1, &info);
            break;
        case Shape::Close:
            Bind<Shape::Close>(entry.library, name)(1);
            break;
        case Shape::IshFileList:
            Bind<Shape::IshFileList>(entry.library, name)("a", buffer, sizeof buffer);
            break;
    }
}

TEST(Bindings, EveryEntryPointOfTheTableIsReachedThroughTheLoader) {
    FakeArchiver fake;
    for (const auto& entry : archivers::kEntryPoints) CallThroughTable(entry);
    const auto calls = fake.Calls();
    ASSERT_EQ(calls.size(), std::size(archivers::kEntryPoints));
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].entry, archivers::kEntryPoints[i].name);
    }
}

TEST(Bindings, CommandCallPassesWindowLineAndBufferSize) {
    FakeArchiver fake;
    fake.Print("Unlha", "log text");
    std::u16string output;
    const auto fn = Bind<Shape::Command>(Library::unlha32, "Unlha");
    fake.Return("Unlha", 0x8005);
    EXPECT_EQ(archivers::CallCommand(fn, 42, u"u -+ \"日本.lzh\"", 20800, &output), 0x8005);
    const auto calls = fake.Calls("Unlha");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].hwnd, 42u);
    EXPECT_EQ(calls[0].command, "u -+ \"日本.lzh\"");
    EXPECT_EQ(calls[0].size, 20800u);
    EXPECT_EQ(output.substr(0, 8), u"log text");
    EXPECT_EQ(output.size(), 20800u);
}

TEST(Bindings, MissingLibraryOrEntryPointIsATrappedFailureNamingIt) {
    setenv("LD_LIBRARY_PATH", "/nonexistent", 1);
    struct Case {
        Library library;
        std::string entry;
        std::string named;
    };
    // The fake libraries are still reachable for names they export; a name they lack is not.
    const Case cases[] = {{Library::cab32, "CabNoSuchEntry", "CabNoSuchEntry"}};
    for (const auto& c : cases) {
        try {
            archivers::BindAddress(c.library, c.entry);
            ADD_FAILURE() << "bound " << c.entry;
        } catch (const TrappedFailure& failure) {
            EXPECT_NE(platform::ToSystem(failure.description()).find(c.named), std::string::npos);
            EXPECT_NE(platform::ToSystem(failure.description()).find("libcab32.so"),
                      std::string::npos);
        }
    }
}

}  // namespace
}  // namespace quorvex6
