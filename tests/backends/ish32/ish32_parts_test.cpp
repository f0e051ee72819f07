// The pieces of ish32 that need no files: its command lines, names and header times.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>

#include "common/result.h"
#include "ish32/file_listing.h"
#include "ish32/ish_command.h"
#include "ish32/ish_names.h"
#include "ish32/ish_times.h"

namespace quorvex6::backend::ish32 {
namespace {

using codecs::ish::FileInfo;
using codecs::ish::Variant;

struct LineCase {
    const char* line;
    IshAction action;
    Variant variant;
    const char* file;
    const char* folder;
};

TEST(IshCommandLine, TheLinesTheControlBuilds) {
    const LineCase cases[] = {
        {"/s /home/u/a.txt /s /f=/home/u/out", IshAction::kEncode, Variant::kJis8, "/home/u/a.txt",
         "/home/u/out"},
        {"/s /home/u/a.txt /ss /f=/out", IshAction::kEncode, Variant::kShiftJis, "/home/u/a.txt",
         "/out"},
        {"/s /home/u/a.txt /s7 /f=/out", IshAction::kEncode, Variant::kJis7, "/home/u/a.txt",
         "/out"},
        {"/s /home/u/a.txt /sn /f=/out", IshAction::kEncode, Variant::kNonKana, "/home/u/a.txt",
         "/out"},
        {"/s /home/my docs/a b.txt /f=/my out/", IshAction::kEncode, Variant::kJis8,
         "/home/my docs/a b.txt", "/my out/"},
        {" /r /in/x.ish /f=/out", IshAction::kRestoreNewer, Variant::kJis8, "/in/x.ish", "/out"},
        {" /a /in/x.ish /f=/out", IshAction::kRestoreAll, Variant::kJis8, "/in/x.ish", "/out"},
        {" /A /in/x y.ish /F=/out", IshAction::kRestoreAll, Variant::kJis8, "/in/x y.ish", "/out"},
        {" /r \"/in/x.ish\" /f=\"/out dir\"", IshAction::kRestoreNewer, Variant::kJis8, "/in/x.ish",
         "/out dir"},
        {" /a /in/x.ish", IshAction::kRestoreAll, Variant::kJis8, "/in/x.ish", ""},
        {" /a /in/b/f=c.ish /f=/o", IshAction::kRestoreAll, Variant::kJis8, "/in/b/f=c.ish", "/o"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        IshCommand command = ParseIshCommand(c.line, [](const std::string&) { return true; });
        EXPECT_EQ(command.action, c.action);
        if (c.action == IshAction::kEncode) {
            EXPECT_EQ(command.variant, c.variant);
        }
        EXPECT_EQ(command.file, c.file);
        EXPECT_EQ(command.folder, c.folder);
    }
}

TEST(IshCommandLine, BadLinesAreRefusedWithTheirCodes) {
    const std::set<std::string> files = {"/in/x.ish"};
    auto exists = [&](const std::string& p) { return files.count(p) > 0; };
    const std::pair<const char*, int32_t> cases[] = {
        {"/in/x.ish /f=/o", result::kBadCommand},        // no action
        {"/r /s /in/x.ish /f=/o", result::kBadCommand},  // two actions
        {" /r /f=/o", result::kNoArchiveName},
        {"", result::kBadCommand},
        {" /r /zz /in/x.ish /f=/o", result::kBadCommand},  // free text the library does not know
    };
    for (const auto& [line, code] : cases) {
        SCOPED_TRACE(line);
        try {
            ParseIshCommand(line, exists);
            ADD_FAILURE() << "accepted";
        } catch (const Failure& f) {
            EXPECT_EQ(f.code(), code);
        }
    }
    // A name that merely begins like a switch is a name when the file is there.
    EXPECT_EQ(ParseIshCommand(" /r /zz /in/x.ish", [](const std::string&) { return true; }).file,
              "/zz /in/x.ish");
}

TEST(IshNames, TheFirstLinesNameOnlyWhenTheHeaderWasMadeFromIt) {
    struct Case {
        const char* first_line;
        const char* header;
        const char* restored;
    };
    const Case cases[] = {
        {"report.txt", "report.txt", "report.txt"},
        {"a_long_file_name.dat", "a_long_f.ile", "a_long_file_name.dat"},
        {"README.TXT", "readme.txt", "README.TXT"},
        {"evil.txt", "REPORT.TXT", "REPORT.TXT"},
        {"", "REPORT.TXT", "REPORT.TXT"},
        {"../../etc/passwd", "PASSWD", "PASSWD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first_line);
        FileInfo info;
        info.name = c.first_line;
        info.short_name = c.header;
        EXPECT_EQ(RestoredName(info), c.restored);
    }
}

TEST(IshNames, TheTextIsNamedAfterTheFilesBase) {
    const std::pair<const char*, const char*> cases[] = {
        {"/a/b/t100.txt", "t100.ish"},   {"README", "README.ish"},  {"x.tar.gz", "x.tar.ish"},
        {"/a/.profile", ".profile.ish"}, {"c:\\d\\e.bin", "e.ish"},
    };
    for (const auto& [path, text] : cases) EXPECT_EQ(TextNameFor(path), text) << path;
    EXPECT_EQ(InFolder("", "t.ish"), "t.ish");
    EXPECT_EQ(InFolder("/o", "t.ish"), "/o/t.ish");
    EXPECT_EQ(InFolder("/o/", "t.ish"), "/o/t.ish");
}

TEST(IshTimes, HeaderTimesAreLocalAndCarryTheZone) {
    // The test runs with TZ=UTC: 2024-01-02 03:04:06 is the vectors' stamp, zone 0.
    FileInfo info;
    StampTime(1704164646, info);
    EXPECT_EQ(info.dos_time, 0x58221883u);
    EXPECT_EQ(info.zone_west, 0);
    EXPECT_EQ(HeaderTime(info), 1704164646);
    info.dos_time = 0x00210000;  // 1980-01-01 00:00:00
    EXPECT_EQ(HeaderTime(info), 315532800);

    // Nine hours east of UTC, as the format's own example: the zone field reads -32400.
    setenv("TZ", "JST-9", 1);
    tzset();
    FileInfo east;
    StampTime(1704164646, east);
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(east.dos_time, 0x58226083u);  // 12:04:06 local
    EXPECT_EQ(east.zone_west, -32400);
}

TEST(IshListing, NameLinesStayOneLineTheListerKeepsAsItIs) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain.txt", "plain.txt"},    {"tab\there.txt", "tab?here.txt"},
        {"line\nbreak", "line?break"}, {"---------------.txt", "?---------------.txt"},
        {"-dash.txt", "-dash.txt"},    {" blank.txt", "? blank.txt"},
    };
    for (const auto& [name, shown] : cases) {
        FileInfo info;
        info.name = name;
        info.short_name = codecs::ish::ShortNameOf(codecs::ish::NameField(name));
        info.size = 12345;
        info.dos_time = 0x58221883;
        info.variant = Variant::kNonKana;
        FileListing listing(1000);
        ASSERT_TRUE(listing.Add(info));
        EXPECT_NE(listing.Text().find(std::string("-\n") + shown +
                                      "\n12345 2024-01-02 03:04:06 non-kana\n---"),
                  std::string::npos)
            << listing.Text();
    }
}

}  // namespace
}  // namespace quorvex6::backend::ish32
