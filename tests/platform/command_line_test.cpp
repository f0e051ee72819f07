#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace quorvex6::platform {
namespace {

TEST(CommandLine, SplitsAsWindowsDoes) {
    struct Case {
        std::string line;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"arj u -r a.arj docs/*.* readme.txt ",
         {"arj", "u", "-r", "a.arj", "docs/*.*", "readme.txt"}},
        {"rar a -std  \"my archive.rar\" x", {"rar", "a", "-std", "my archive.rar", "x"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"a\\\\\"b c\"", {"a\\b c"}},
        {"a\\\"b", {"a\"b"}},
        {"a\\b", {"a\\b"}},
        {"\"a\"\"b\"", {"a\"b"}},
        {"   ", {}},
        {"\"unterminated", {"unterminated"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

}  // namespace
}  // namespace quorvex6::platform
