#include "common/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "common/result.h"

namespace quorvex6::backend {
namespace {

std::vector<std::string> Texts(std::string_view line) {
    std::vector<std::string> out;
    for (const Token& t : Tokenize(line)) out.push_back(t.text);
    return out;
}

TEST(Tokenize, BlanksAndQuotes) {
    struct Case {
        const char* line;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"", {}},
        {"   ", {}},
        {"-r -q a.zip", {"-r", "-q", "a.zip"}},
        {" \"my arc.zip\"  \"base dir/\" *.*", {"my arc.zip", "base dir/", "*.*"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"@/tmp/list file\"", {"@/tmp/list file"}},
        {"\"\" x", {"", "x"}},
        {"\"unterminated name", {"unterminated name"}},
        {"tab\tseparated", {"tab", "separated"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Texts(c.line), c.tokens) << c.line;
}

constexpr SwitchRule kSwitches[] = {
    {"-r"}, {"-q"}, {"--i"}, {"--use-directory", SwitchArg::kEquals}, {"-jm", SwitchArg::kSuffix}};
constexpr std::string_view kWords[] = {"u", "e"};

TEST(ParseCommand, PositionsAndSwitchesAnywhere) {
    ParsedCommand cmd = ParseCommand(
        "-r \"a.zip\" -q \"base/\" one.txt --use-directory=0 \"two words\" -jm2", {kSwitches, {}});
    EXPECT_EQ(cmd.archive, "a.zip");
    EXPECT_EQ(cmd.folder, "base/");
    EXPECT_EQ(cmd.names, (std::vector<std::string>{"one.txt", "two words"}));
    EXPECT_TRUE(cmd.Has("-r"));
    EXPECT_TRUE(cmd.Has("-q"));
    EXPECT_FALSE(cmd.Has("--i"));
    EXPECT_EQ(cmd.Value("--use-directory"), "0");
    EXPECT_EQ(cmd.Value("-jm"), "2");
}

TEST(ParseCommand, SecondTokenWithoutSeparatorIsAName) {
    ParsedCommand cmd = ParseCommand("a.zip b.txt c\\d.txt", {kSwitches, {}});
    EXPECT_EQ(cmd.folder, "");
    EXPECT_EQ(cmd.names, (std::vector<std::string>{"b.txt", "c/d.txt"}));
    EXPECT_EQ(ParseCommand("a.zip \"C:\\out\\\"", {kSwitches, {}}).folder, "C:/out/");
}

TEST(ParseCommand, RejectsWhatItDoesNotKnow) {
    struct Case {
        const char* line;
        int32_t code;
    };
    const Case cases[] = {
        {"-z a.zip", result::kBadCommand},
        {"-rq a.zip", result::kBadCommand},
        {"--use-directory a.zip", result::kBadCommand},
        {"a.zip @/nonexistent/list.txt", result::kResponseFile},
    };
    for (const Case& c : cases) {
        try {
            ParseCommand(c.line, {kSwitches, {}});
            ADD_FAILURE() << c.line;
        } catch (const Failure& f) {
            EXPECT_EQ(f.code(), c.code) << c.line;
        }
    }
}

TEST(ParseCommand, CommandWordsAndQuotedSwitchLookalikes) {
    ParsedCommand cmd = ParseCommand("u -r \"-odd.lzh\" base/ \"-name\"", {kSwitches, kWords});
    EXPECT_EQ(cmd.command, "u");
    EXPECT_EQ(cmd.archive, "-odd.lzh");
    EXPECT_EQ(cmd.names, (std::vector<std::string>{"-name"}));
    EXPECT_THROW(ParseCommand("x a.lzh", {kSwitches, kWords}), Failure);
}

TEST(ParseCommand, ResponseFilesInQuotesWithCrLfAndBlankLines) {
    std::string path = ::testing::TempDir() + "qv_list.txt";
    std::ofstream(path, std::ios::binary)
        << "\"docs/*.*\"\r\nreadme.txt\r\n\r\n  \"with space.txt\"  \r\n\r\n";
    ParsedCommand cmd = ParseCommand("-r \"a.zip\" \"base/\" \"@" + path + "\"", {kSwitches, {}});
    EXPECT_EQ(cmd.names, (std::vector<std::string>{"docs/*.*", "readme.txt", "with space.txt"}));
    constexpr std::string_view kBang = "@!";
    ParsedCommand arj = ParseCommand("a.arj dest/ !" + path, {kSwitches, {}, "-", kBang});
    EXPECT_EQ(arj.names.size(), 3u);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace quorvex6::backend
