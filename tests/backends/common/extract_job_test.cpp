#include "common/jobs/extract_job.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace quorvex6::backend::jobs {
namespace {

struct FakeEntry {
    std::string name;
    ItemKind kind = ItemKind::kFile;
    std::string data;   // a link's target for links
    int nap_ms = 0;     // decoding takes this long
    int32_t fails = 0;  // decoding fails with this code
};

// Entries from a table; data decoded on the path the case asks for.
class FakeFormat final : public ExtractFormat {
  public:
    FakeFormat(std::vector<FakeEntry> entries, DataPath path, unsigned threads)
        : entries_(std::move(entries)), path_(path), threads_(threads) {}
    bool Next(ExtractItem& item) override {
        if (next_ == entries_.size()) return false;
        const FakeEntry& e = entries_[next_];
        item.index = next_++;
        item.name = e.name;
        item.kind = e.kind;
        item.mtime = 1704067200;
        item.mode = 0644;
        item.link_target = e.kind == ItemKind::kFile ? "" : e.data;
        item.size = e.data.size();
        return true;
    }
    DataPath PathOf(const ExtractItem&) const override { return path_; }
    void Decode(const ExtractItem& item, io::Sink& sink) override {
        const FakeEntry& e = entries_[item.index];
        std::this_thread::sleep_for(std::chrono::milliseconds(e.nap_ms));
        if (e.fails) throw Failure(e.fails, "cannot decode");
        sink.write(reinterpret_cast<const uint8_t*>(e.data.data()), e.data.size());
    }
    unsigned Threads() const override { return threads_; }

  private:
    std::vector<FakeEntry> entries_;
    DataPath path_;
    unsigned threads_;
    size_t next_ = 0;
};

struct Path {
    const char* name;
    DataPath path;
    unsigned threads;
};
constexpr Path kPaths[] = {{"pool", DataPath::kAnyThread, 2},
                           {"pool, no threads", DataPath::kAnyThread, 0},
                           {"buffered", DataPath::kBuffered, 0},
                           {"here", DataPath::kHere, 0}};

class ExtractJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::path(::testing::TempDir()) /
                (std::string("qv_extract_job_") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    // The log and the result code; throws what ends the command.
    std::pair<std::string, int32_t> Extract(const Path& p, std::vector<FakeEntry> entries,
                                            std::vector<std::string> names = {}) {
        fs::remove_all(root_);
        fs::create_directories(root_);
        OutputLog log;
        ResultKeeper result;
        {
            ExtractTarget target({root_.string() + "/"}, log, result);
            FakeFormat format(std::move(entries), p.path, p.threads);
            NameSelection selection(names.empty() ? std::vector<std::string>{"*.*"} : names, true);
            Progress progress(false);
            RunExtraction(format, selection, target, log, progress);
        }
        return {log.text(), result.code()};
    }
    std::string Slurp(const std::string& name) const {
        std::ifstream in(root_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path root_;
};

// Early files that take longest, a folder, a failing file: the log reads in archive order.
TEST_F(ExtractJobTest, ReportsInArchiveOrder) {
    const std::vector<FakeEntry> entries = {
        {"a.txt", ItemKind::kFile, "aaa", 30},
        {"d/", ItemKind::kFolder},
        {"d/b.txt", ItemKind::kFile, "bbb", 20},
        {"bad.txt", ItemKind::kFile, "", 10, result::kCrcMismatch},
        {"c.txt", ItemKind::kFile, "ccc"},
    };
    for (const Path& p : kPaths) {
        auto [log, code] = Extract(p, entries);
        EXPECT_EQ(
            log,
            "extracted a.txt\nextracted d/\nextracted d/b.txt\nfailed bad.txt: cannot decode\n"
            "extracted c.txt\n")
            << p.name;
        EXPECT_EQ(code, result::kCrcMismatch) << p.name;
        EXPECT_EQ(Slurp("d/b.txt"), "bbb") << p.name;
        EXPECT_FALSE(fs::exists(root_ / "bad.txt")) << p.name;
    }
}

// A hard link is made only to a file this command finished: it waits for the slow file before
// it. A symbolic link after files lands too, and names select.
TEST_F(ExtractJobTest, LinksWaitForTheFilesBeforeThem) {
    const std::vector<FakeEntry> entries = {
        {"slow.txt", ItemKind::kFile, "slow", 40},
        {"hard", ItemKind::kHardLink, "slow.txt"},
        {"soft", ItemKind::kSymlink, "slow.txt"},
        {"skipped.txt", ItemKind::kFile, "no"},
    };
    for (const Path& p : kPaths) {
        auto [log, code] = Extract(p, entries, {"slow.txt", "hard", "soft"});
        EXPECT_EQ(log, "extracted slow.txt\nextracted hard\nextracted soft\n") << p.name;
        EXPECT_EQ(code, 0) << p.name;
        EXPECT_EQ(fs::hard_link_count(root_ / "hard"), 2u) << p.name;
        EXPECT_EQ(fs::read_symlink(root_ / "soft"), "slow.txt") << p.name;
        EXPECT_FALSE(fs::exists(root_ / "skipped.txt")) << p.name;
    }
}

// A full disk ends the command: the files before it stay, the failing one is not left, and
// work not begun is dropped (a pool with threads may have finished later files meanwhile: a
// descheduled failing thread is enough, so only the single-threaded paths show the drop).
TEST_F(ExtractJobTest, AFullDiskEndsTheCommand) {
    std::vector<FakeEntry> entries = {{"1.txt", ItemKind::kFile, "one", 10},
                                      {"2.txt", ItemKind::kFile, "", 0, result::kDiskFull}};
    for (int i = 3; i < 40; ++i)
        entries.push_back({std::to_string(i) + ".txt", ItemKind::kFile, "x"});
    for (const Path& p : kPaths) {
        int32_t thrown = 0;
        try {
            Extract(p, entries);
        } catch (const Failure& f) {
            thrown = f.code();
        }
        EXPECT_EQ(thrown, result::kDiskFull) << p.name;
        EXPECT_EQ(Slurp("1.txt"), "one") << p.name;
        EXPECT_FALSE(fs::exists(root_ / "2.txt")) << p.name;
        if (p.threads == 0) {
            EXPECT_FALSE(fs::exists(root_ / "39.txt")) << p.name;
        }
    }
}

// Two copies of a name: the later one ends at the name, however the work ran.
TEST_F(ExtractJobTest, TheLaterCopyOfANameWins) {
    const std::vector<FakeEntry> entries = {{"twice.txt", ItemKind::kFile, "first", 30},
                                            {"twice.txt", ItemKind::kFile, "second"}};
    for (const Path& p : kPaths) {
        auto [log, code] = Extract(p, entries);
        EXPECT_EQ(code, 0) << p.name;
        EXPECT_EQ(Slurp("twice.txt"), "second") << p.name;
    }
}

}  // namespace
}  // namespace quorvex6::backend::jobs
