#include <gtest/gtest.h>

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

TEST(SafePath, RefusesWhatLeadsOut) {
    struct Case {
        const char* stored;
        const char* safe;
    };  // safe == nullptr: refused
    const Case cases[] = {
        {"a/b.txt", "a/b.txt"},   {"./a//b", "a/b"},        {"a\\b\\c", "a/b/c"},
        {"dir/", "dir"},          {"a/./b/", "a/b"},        {"..a/b..", "..a/b.."},
        {"/etc/passwd", nullptr}, {"\\x", nullptr},         {"../x", nullptr},
        {"a/../../x", nullptr},   {"a/..", nullptr},        {"a\\..\\x", nullptr},
        {"C:x", nullptr},         {"c:\\windows", nullptr}, {"", nullptr},
        {"./", nullptr},
    };
    for (const Case& c : cases) {
        auto got = SafeRelativePath(c.stored);
        if (c.safe == nullptr)
            EXPECT_FALSE(got) << c.stored;
        else
            EXPECT_EQ(got.value_or("<refused>"), c.safe) << c.stored;
    }
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
    };
    for (const Case& c : cases)
        EXPECT_EQ(LinkTargetStaysInside(c.link, c.target), c.inside)
            << c.link << " -> " << c.target;
}

}  // namespace
}  // namespace quorvex6::backend
