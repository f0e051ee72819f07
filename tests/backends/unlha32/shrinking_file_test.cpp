// A file that shrinks while it is packed, as a log cut by rotation during a backup: compression
// does not pay, and the stored retry reads less than the abandoned attempt wrote. A shim
// preloaded into a process of its own cuts the file when it is read from its start again.
#include <cstdint>

#include "backends/unlha32/unlha32_fixture.h"

namespace {

using namespace quorvex6::unlha32_test;

std::string Noise(size_t n) {
    std::string s(n, '\0');
    uint64_t v = 88172645463325252ull;
    for (char& c : s) {
        v ^= v << 13, v ^= v >> 7, v ^= v << 17;
        c = static_cast<char>(v >> 29);
    }
    return s;
}

// The member ends where the retry ended, whether it waited in memory or went straight into the
// archive (past 4 MiB), with a member after it or at the end of the archive.
TEST_F(Unlha32, AFileThatShrinksWhilePackedEndsWhereItsLastReadEnded) {
    struct Case {
        const char* what;
        size_t size;
        bool last;
    };
    for (const Case& c : {Case{"in-memory", 300000, false}, Case{"in-memory-last", 300000, true},
                          Case{"direct", 6 << 20, false}, Case{"direct-last", 6 << 20, true}}) {
        const std::string src = dir_.str() + "/" + c.what;
        dir_.Write(std::string(c.what) + "/a-before.txt", Text(5000));
        dir_.Write(std::string(c.what) + "/m-shrinks.log", Noise(c.size));
        if (!c.last) dir_.Write(std::string(c.what) + "/z-after.txt", Text(7000));
        const std::string arc = Arc(std::string(c.what) + ".lzh");
        const std::string line =
            "u -+ -r0 -x0 -c1 -a0 -f1 -n -jm2 \"" + arc + "\" \"" + src + "/\" *.*";
        const std::string env = "QV_SHRINK_FILE=\"" + src + "/m-shrinks.log\" LD_PRELOAD=\"" +
                                QV_SHRINK_ON_REREAD +
                                "\" ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0";
        const std::string result = Output(env + " \"" + QV_UNLHA_COMMAND + "\" '" + line + "'");
        ASSERT_EQ(result.substr(0, 2), "0\n") << c.what << "\n" << result;
        ASSERT_EQ(fs::file_size(src + "/m-shrinks.log"), c.size / 2)
            << c.what << ": the shim did not cut";
        const auto expected = Tree(src);
        EXPECT_EQ(Run("t \"" + arc + "\""), 0) << c.what << "\n" << log_;
        EXPECT_EQ(Unpack("-x1 -c1 -f1 -n", arc, dir_.str() + "/out-" + c.what), 0) << c.what << "\n"
                                                                                   << log_;
        EXPECT_TRUE(Tree(dir_.path() / (std::string("out-") + c.what)) == expected) << c.what;
        for (const Tool& tool : kTools) {
            const fs::path out = dir_.path() / (std::string("by-") + tool.name);
            EXPECT_EQ(ExtractWith(tool, arc, out), 0) << c.what << " " << tool.name;
            EXPECT_TRUE(Tree(out) == expected) << c.what << " " << tool.name;
        }
        // Nothing of the abandoned attempt is left behind the end mark either.
        EXPECT_EQ(Output("7zz t \"" + arc + "\" 2>&1").find("after the end"), std::string::npos)
            << c.what;
    }
}

}  // namespace
