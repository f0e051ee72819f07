#include <gtest/gtest.h>

#include <map>

#include "common/safe_path.h"
#include "common/wildcard.h"

namespace quorvex6::backend {
namespace {

TEST(Wildcard, Names) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*.*", "README", true},
        {"*.*", "a.b.c", true},
        {"*", "x", true},
        {"*.txt", "a.txt", true},
        {"*.txt", "a.txt.gz", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"read*", "readme", true},
        {"*me", "readme", true},
        {"name.*", "name", true},
        {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {"ABC", "abc", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchWildcard(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(Wildcard, Paths) {
    struct Case {
        const char* pattern;
        const char* path;
        bool recursive;
        bool match;
    };
    const Case cases[] = {
        {"*.*", "a.txt", false, true},         {"*.*", "d/a.txt", false, false},
        {"*.*", "d/a.txt", true, true},        {"d/*.*", "d/a.txt", false, true},
        {"d/*.*", "d/e/a.txt", false, false},  {"d/*.*", "d/e/a.txt", true, true},
        {"d/*.*", "x/d/a.txt", true, false},   {"*.c", "src/deep/m.c", true, true},
        {"docs", "docs/readme", false, true},  {"docs", "docsx/readme", false, false},
        {"docs/", "docs/readme", false, true}, {"a.txt", "a.txt", false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchPath(c.pattern, c.path, c.recursive), c.match)
            << c.pattern << " " << c.path << " " << c.recursive;
}

// Where a format never separates with '\' (TAR), it is part of a name: harmless on POSIX, where
// "..\x" is one name and not a step up.
TEST(SafePath, RefusesWhatLeadsOut) {
    struct Case {
        const char* stored;
        const char* safe;
        bool backslash_separates = true;
    };  // safe == nullptr: refused
    const Case cases[] = {
        {"a/b.txt", "a/b.txt"},
        {"./a//b", "a/b"},
        {"a\\b\\c", "a/b/c"},
        {"dir/", "dir"},
        {"a/./b/", "a/b"},
        {"..a/b..", "..a/b.."},
        {"/etc/passwd", nullptr},
        {"\\x", nullptr},
        {"../x", nullptr},
        {"a/../../x", nullptr},
        {"a/..", nullptr},
        {"a\\..\\x", nullptr},
        {"C:x", nullptr},
        {"c:\\windows", nullptr},
        {"", nullptr},
        {"./", nullptr},
        {"back\\slash.txt", "back\\slash.txt", false},
        {"a\\..\\x", "a\\..\\x", false},
        {"\\x", "\\x", false},
        {"./d\\/.\\", "d\\/.\\", false},
        {"d/../../x", nullptr, false},
        {"C:x", nullptr, false},
        {"..\\x/../y", nullptr, false},
        {"a\\/..", nullptr, false},
        {"..\\x", "..\\x", false},
    };
    for (const Case& c : cases) {
        auto got = SafeRelativePath(c.stored, c.backslash_separates);
        if (c.safe == nullptr)
            EXPECT_FALSE(got) << c.stored;
        else
            EXPECT_EQ(got.value_or("<refused>"), c.safe) << c.stored;
    }
    EXPECT_TRUE(IsCurrentFolder(".\\", true));
    EXPECT_FALSE(IsCurrentFolder(".\\", false));
}

TEST(SafePath, LinkTargets) {
    struct Case {
        const char* link;
        const char* target;
        bool inside;
    };
    const Case cases[] = {
        {"l", "file", true},       {"d/l", "../file", true}, {"d/l", "../../file", false},
        {"l", "../file", false},   {"l", "/etc", false},     {"d/e/l", "../../x/./y", true},
        {"l", "a/../../b", false}, {"l", "", false},         {"l", "C:/x", false},
        {"l\\m", "../x", false},  // one name at the top, where ".." leads out
        {"l\\m", "x", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LinkTargetStaysInside(c.link, c.target), c.inside)
            << c.link << " -> " << c.target;
}

// Each link is fine on its own text; what is already on disk decides. "depends" lists what the
// outcome rests on (what later links must not replace), "-" when refused.
TEST(SafePath, LinkTargetsFollowedThroughLinksOnDisk) {
    struct Case {
        std::map<std::string, std::string> disk;
        const char* link;
        const char* target;
        const char* depends;
    };
    const std::map<std::string, std::string> dot = {{"s", "->."}};
    const std::map<std::string, std::string> up = {{"a", "/"}, {"a/up", "->.."}};
    const Case cases[] = {
        {dot, "d", "s/..", "-"},
        {dot, "e", "s/../outside", "-"},
        {dot, "e", "s/x/y", "s,x"},
        {dot, "n/e", "../s/s/..", "-"},
        {up, "l", "a/up/..", "-"},
        {up, "l", "a/up/a/f", "a,a/up,a"},
        {up, "a/l", "up/../x", "-"},
        {{{"f", "file"}}, "l", "f/../x", "f"},
        {{{"p", "->/etc"}}, "l", "p/x", "-"},
        {{{"p", "->../.."}}, "a/b/l", "../../p", "-"},
        {{{"l2", "->l"}}, "l", "l2", "-"},
        {{{"r1", "->r2"}, {"r2", "->r1"}}, "l", "r1", "-"},
        {{{"b", "->c"}, {"c", "->."}}, "l", "b/b/b/x", "b,c,b,c,b,c"},
        {{}, "l", "x\\..\\..\\y", "-"},
        {{}, "d/e/l", "../../x", ""},
    };
    for (const Case& c : cases) {
        PathLookup lookup = [&](const std::string& path, std::string* link) {
            auto it = c.disk.find(path);
            if (it == c.disk.end()) return PathKind::kNothing;
            if (it->second == "/") return PathKind::kFolder;
            if (it->second.rfind("->", 0) != 0) return PathKind::kOther;
            *link = it->second.substr(2);
            return PathKind::kLink;
        };
        auto depends = ResolveLinkInside(c.link, c.target, lookup);
        std::string got = "-";
        if (depends) {
            got.clear();
            for (const std::string& d : *depends) got += (got.empty() ? "" : ",") + d;
        }
        EXPECT_EQ(got, c.depends) << c.link << " -> " << c.target;
    }
    EXPECT_FALSE(
        LinkTargetStaysInside("l", std::string_view("..\0", 3)));  // the system stops at the NUL
    EXPECT_FALSE(LinkTargetStaysInside("", "x"));
}

}  // namespace
}  // namespace quorvex6::backend
