#include "common/replacement_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "backends/support/backend_library.h"
#include "common/result.h"

namespace fs = std::filesystem;

namespace quorvex6::backend {
namespace {

using quorvex6::testing::ReadAll;

class ReplacementFileTest : public quorvex6::testing::ScratchTest {
  protected:
    size_t Count() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(root_), {}));
    }
};

void Put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// Another writer's work between the reading of the old archive and the commit is never lost:
// the commit refuses (0x802C) and leaves what that writer left.
TEST_F(ReplacementFileTest, ACommitNeverLosesAnotherWritersChange) {
    struct Case {
        const char* name;
        bool existed;
        std::function<void(const fs::path&)> meanwhile;
        bool commits;
    };
    const Case cases[] = {
        {"untouched", true, [](const fs::path&) {}, true},
        {"replaced by another writer", true,
         [](const fs::path& p) {
             Put(p.string() + ".other", "other");
             fs::rename(p.string() + ".other", p);
         },
         false},
        {"grown in place", true,
         [](const fs::path& p) { std::ofstream(p, std::ios::app) << "+more"; }, false},
        {"removed", true, [](const fs::path& p) { fs::remove(p); }, false},
        {"new, untouched", false, [](const fs::path&) {}, true},
        {"new, made meanwhile", false, [](const fs::path& p) { Put(p, "other"); }, false},
    };
    for (const Case& c : cases) {
        fs::path arc = root_ / "a.zip";
        fs::remove(arc);
        if (c.existed) Put(arc, "old");
        ReplacementFile replacement(arc.string());
        replacement.file().Write("new", 3);
        c.meanwhile(arc);
        bool exists_before = fs::exists(arc);
        std::string before = exists_before ? ReadAll(arc) : "";
        try {
            replacement.Commit();
            EXPECT_TRUE(c.commits) << c.name;
            EXPECT_EQ(ReadAll(arc), "new") << c.name;
        } catch (const Failure& f) {
            EXPECT_FALSE(c.commits) << c.name << ": " << f.what();
            EXPECT_EQ(f.code(), result::kCannotWriteBack) << c.name;
            EXPECT_EQ(fs::exists(arc), exists_before) << c.name;
            if (exists_before) {
                EXPECT_EQ(ReadAll(arc), before) << c.name;
            }
        }
    }
}

// While the new archive is written nothing but the old one is seen beside it, and an unfinished
// one leaves nothing, whatever ends the process: there is no work file to leave.
TEST_F(ReplacementFileTest, TheWorkFileHasNoNameUntilItIsComplete) {
    fs::path arc = root_ / "a.zip";
    Put(arc, "old archive");
    {
        ReplacementFile replacement(arc.string());
        replacement.file().Write("new", 3);
        EXPECT_EQ(Count(), 1u);
    }
    EXPECT_EQ(ReadAll(arc), "old archive");
    EXPECT_EQ(Count(), 1u);
}

// Only write permission bits (or their absence) decide, even for a user whom permissions do not
// stop: an archive made read-only stays as it is.
TEST_F(ReplacementFileTest, AWriteProtectedArchiveIsNotReplaced) {
    fs::path arc = root_ / "a.zip";
    Put(arc, "old archive");
    fs::permissions(arc, fs::perms(0444));
    try {
        ReplacementFile replacement(arc.string());
        ADD_FAILURE() << "a write-protected archive was opened for replacing";
    } catch (const Failure& f) {
        EXPECT_EQ(f.code(), result::kReadOnlyArchive);
    }
    EXPECT_EQ(ReadAll(arc), "old archive");
    EXPECT_EQ(fs::status(arc).permissions(), fs::perms(0444));
    EXPECT_EQ(Count(), 1u);
}

}  // namespace
}  // namespace quorvex6::backend
