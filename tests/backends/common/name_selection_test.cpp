#include "common/name_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvex6::backend {
namespace {

TEST(NameSelection, PlainNamesThatSelectNothingAreReported) {
    const std::vector<std::string> stored = {"a.txt", "docs/b.txt", "docs/deep/c.bin"};
    struct Case {
        std::vector<std::string> patterns;
        std::vector<std::string> selected;
        int32_t code;
        std::string log;
    };
    for (const Case& c : std::vector<Case>{
             {{}, stored, 0, ""},
             {{"*.*"}, stored, 0, ""},
             {{"a.txt", "docs"}, stored, 0, ""},  // a folder's name selects what lies below it
             {{"*.zip"}, {}, 0, ""},              // a wildcard that matches nothing is no error
             {{"a.txt", "gone.txt", "docs/gone/"},
              {"a.txt"},
              0x8031,
              "not in the archive: gone.txt\nnot in the archive: docs/gone/\n"},
         }) {
        NameSelection names(c.patterns, true);
        std::vector<std::string> selected;
        for (const std::string& path : stored) {
            if (names.Selects(path)) selected.push_back(path);
        }
        OutputLog log;
        ResultKeeper result;
        names.ReportUnmatched(log, result);
        const std::string what = c.patterns.empty() ? "(none)" : c.patterns[0];
        EXPECT_EQ(selected, c.selected) << what;
        EXPECT_EQ(result.code(), c.code) << what;
        EXPECT_EQ(log.text(), c.log) << what;
    }
}

}  // namespace
}  // namespace quorvex6::backend
