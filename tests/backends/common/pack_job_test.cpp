// The shared pack job with a toy format whose entries are "<name|size>" and the data: what the
// plan decides, the order entries reach the archive whatever the workers do, entries larger
// than a spool, and the old archive left as it was when the job fails.
#include "common/jobs/pack_job.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "backends/support/backend_library.h"
#include "common/file_sink.h"
#include "common/jobs/pack_plan.h"
#include "common/jobs/spool_output.h"
#include "io/fault.h"

namespace fs = std::filesystem;

namespace quorvex6::backend::jobs {
namespace {

using quorvex6::testing::ReadAll;

SourceItem Item(const std::string& name, int64_t mtime) {
    SourceItem item;
    item.stored = name;
    item.stat.kind = FileKind::kRegular;
    item.stat.mtime = mtime;
    return item;
}

struct PlanCase {
    const char* what;
    PlanRules rules;
    std::vector<OldEntry> old;
    std::vector<std::string> expected;  // "keep a", "put a" in archive order
    std::vector<std::string> kept_not_newer;
    bool changes;
};

TEST(PackPlan, DecidesKeepReplaceAndAdd) {
    const std::vector<SourceItem> sources = {Item("b", 200), Item("c", 100), Item("d", 50),
                                             Item("b", 300)};
    const PlanCase cases[] = {
        {"into nothing", {}, {}, {"put b", "put c", "put d"}, {}, true},
        {"replace in place, add behind",
         {},
         {{"a", 0}, {"b", 900}, {"z", 0}},
         {"keep a", "put b", "keep z", "put c", "put d"},
         {},
         true},
        {"only newer keeps the newer stored one",
         {true, 0},
         {{"b", 900}, {"c", 99}},
         {"keep b", "put c", "put d"},
         {"b"},
         true},
        {"only newer, equal time is not newer",
         {true, 0},
         {{"b", 200}},
         {"keep b", "put c", "put d"},
         {"b"},
         true},
        {"coarse stored times need a margin",
         {true, 1},
         {{"b", 199}, {"c", 98}},
         {"keep b", "put c", "put d"},
         {"b"},
         true},
        {"nothing newer changes nothing",
         {true, 0},
         {{"b", 500}, {"c", 500}, {"d", 500}},
         {"keep b", "keep c", "keep d"},
         {"b", "c", "d"},
         false},
    };
    for (const PlanCase& c : cases) {
        std::vector<NewItem> items;
        for (const SourceItem& s : sources) items.push_back({s.stored, &s});
        Plan plan = PlanUpdate(c.old, items, c.rules);
        std::vector<std::string> got;
        for (const PlannedEntry& e : plan.entries) {
            if (e.source != nullptr) {
                got.push_back("put " + e.source->stored);
                // The first item of a name counts.
                if (e.source->stored == "b") {
                    EXPECT_EQ(e.source, &sources[0]) << c.what;
                }
            } else {
                got.push_back("keep " + c.old[e.old].name);
            }
        }
        EXPECT_EQ(got, c.expected) << c.what;
        EXPECT_EQ(plan.kept_not_newer, c.kept_not_newer) << c.what;
        EXPECT_EQ(plan.changes, c.changes) << c.what;
    }
}

// Enough names that many share a hash slot: the first of each name still counts, wherever
// its twins come, in the old archive or among the items.
TEST(PackPlan, ManyNamesEachPlannedOnce) {
    std::vector<OldEntry> old;
    for (int i = 0; i < 700; ++i) old.push_back({"n" + std::to_string(i % 500), 100});
    std::vector<SourceItem> sources;
    for (int i = 0; i < 3000; ++i) sources.push_back(Item("n" + std::to_string(i % 1000), 200));
    std::vector<NewItem> items;
    for (const SourceItem& s : sources) items.push_back({s.stored, &s});
    Plan plan = PlanUpdate(old, items, {});
    ASSERT_EQ(plan.entries.size(), 700u + 500u);
    for (size_t i = 0; i < 500; ++i) {
        EXPECT_EQ(plan.entries[i].source, &sources[i]) << i;  // replaced in place
    }
    for (size_t i = 500; i < 700; ++i) {
        EXPECT_EQ(plan.entries[i].old, i) << i;  // a twin in the old archive: kept as it was
    }
    for (size_t i = 700; i < plan.entries.size(); ++i) {
        EXPECT_EQ(plan.entries[i].source, &sources[i - 200]) << i;  // n500..n999, first ones
    }
}

TEST(PackPlan, DeletionKeepsTheRestInOrder) {
    Plan plan = PlanDeletion({{"a", 0}, {"b", 0}, {"c", 0}}, {false, true, false});
    ASSERT_EQ(plan.entries.size(), 2u);
    EXPECT_EQ(plan.entries[0].old, 0u);
    EXPECT_EQ(plan.entries[1].old, 2u);
    EXPECT_EQ(plan.deleted, std::vector<std::string>{"b"});
    EXPECT_TRUE(plan.changes);
    EXPECT_FALSE(PlanDeletion({{"a", 0}}, {false}).changes);
}

// "<name|size>" then the data; a name starting with "fatal" fails as a full disk would, one
// starting with "late" fails after its data went out.
class ToyEncoder final : public EntryEncoder {
  public:
    uint64_t Encode(const SourceItem& item, io::RandomInput* data, io::RandomOutput& out,
                    std::unique_ptr<EncodedEntry>&) override {
        if (item.stored.rfind("fatal", 0) == 0) throw Failure(result::kDiskFull, "disk full");
        std::string header =
            "<" + item.stored + "|" + std::to_string(data ? data->size() : 0) + ">";
        if (!out.write(header.data(), header.size())) throw io::Error(io::Fault::kWrite, "write");
        std::vector<uint8_t> buffer(100000);
        for (uint64_t done = 0; data && done < data->size();) {
            std::ptrdiff_t n = data->read_at(done, buffer.data(), buffer.size());
            if (n <= 0) throw io::Error(io::Fault::kRead, "read");
            if (!out.write(buffer.data(), static_cast<size_t>(n)))
                throw io::Error(io::Fault::kWrite, "write");
            done += static_cast<uint64_t>(n);
        }
        if (item.stored.rfind("late", 0) == 0) throw io::Error(io::Fault::kBrokenData, "late");
        return out.position();
    }
};

class ToyWriter final : public PackWriter {
  public:
    ToyWriter(OutputFile& file, bool rewinds, unsigned workers)
        : out_(file), rewinds_(rewinds), workers_(workers) {}
    std::unique_ptr<EntryEncoder> MakeEncoder() override { return std::make_unique<ToyEncoder>(); }
    unsigned MaxWorkers() const override { return workers_; }
    io::RandomOutput& Archive() override { return out_; }
    bool Rewinds() const override { return rewinds_; }
    void Placed(std::unique_ptr<EncodedEntry>, uint64_t offset) override {
        offsets.push_back(offset);
    }
    void CopyRaw(size_t index) override {
        std::string kept = "<kept" + std::to_string(index) + "|0>";
        out_.write(kept.data(), kept.size());
    }
    void Finish() override {
        out_.write("$", 1);
        out_.CutHere();
    }
    void CheckArchive() const override { out_.Rethrow(); }

    std::vector<uint64_t> offsets;

  private:
    FileOutput<OutputFile> out_;
    bool rewinds_;
    unsigned workers_;
};

class PackJobTest : public quorvex6::testing::ScratchTest {
  protected:
    const SourceItem& File(const std::string& name, size_t size) {
        std::string path = (root_ / "src" / name).string();
        fs::create_directories(root_ / "src");
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i)
            data[i] = static_cast<char>('a' + (i * 7 + name.size()) % 26);
        std::ofstream(path, std::ios::binary) << data;
        SourceItem item = Item(name, 1);
        item.disk_path = path;
        item.stat.size = size;
        items_.push_back(item);
        return items_.back();
    }
    void Missing(const std::string& name) {
        SourceItem item = Item(name, 1);
        item.disk_path = (root_ / "src" / "absent").string();
        items_.push_back(item);
    }
    // What the toy archive holds, written from every item after `kept` old entries.
    static std::string Expected(const std::vector<SourceItem>& items, size_t kept) {
        std::string out;
        for (size_t i = 0; i < kept; ++i) out += "<kept" + std::to_string(i) + "|0>";
        for (const SourceItem& item : items) {
            out += "<" + item.stored + "|" + std::to_string(item.stat.size) + ">";
            if (!item.disk_path.empty() && fs::exists(item.disk_path))
                out += ReadAll(item.disk_path);
        }
        return out + "$";
    }
    void Run(const std::string& archive, bool rewinds, size_t kept,
             unsigned workers = kEveryProcessor) {
        ReplacementFile target(archive);
        ToyWriter writer(target.file(), rewinds, workers);
        Plan plan;
        for (size_t i = 0; i < kept; ++i) plan.entries.push_back({i, nullptr});
        for (const SourceItem& item : items_) plan.entries.push_back({kNoOldEntry, &item});
        Progress progress(false);
        RunPack(target, writer, plan, PackWording{}, log_, result_, progress);
        offsets_ = writer.offsets;
    }

    std::vector<SourceItem> items_ = std::vector<SourceItem>();
    OutputLog log_;
    ResultKeeper result_;
    std::vector<uint64_t> offsets_;

    void SetUp() override {
        ScratchTest::SetUp();
        items_.reserve(1000);
    }
};

// Many small entries and some that outgrow their spool (and so go straight into the archive
// once their turn comes) land in plan order, each at the offset the writer was told.
TEST_F(PackJobTest, EntriesLandInOrderWhateverTheirSize) {
    for (int i = 0; i < 300; ++i) {
        size_t size = i % 97 == 5 ? kSpoolLimit + 12345 : static_cast<size_t>(i * 131 % 5000);
        File("f" + std::to_string(i), size);
    }
    for (unsigned workers : {kEveryProcessor, 1u, 0u}) {
        const std::string archive = (root_ / ("a" + std::to_string(workers) + ".toy")).string();
        Run(archive, true, 3, workers);
        const std::string got = ReadAll(archive);
        ASSERT_EQ(got, Expected(items_, 3)) << workers;
        ASSERT_EQ(offsets_.size(), items_.size());
        for (size_t i = 0; i < items_.size(); ++i) {
            EXPECT_EQ(got.substr(offsets_[i], items_[i].stored.size() + 1), "<" + items_[i].stored)
                << workers;
        }
        EXPECT_EQ(result_.code(), 0);
    }
}

// A file that cannot be read is left out with a line and its code; the rest goes on. A failure
// after bytes reached a stream that cannot take them back ends the job.
TEST_F(PackJobTest, PerEntryFailuresAndWhatCannotBeTakenBack) {
    struct Case {
        const char* what;
        bool rewinds;
        size_t late_size;
        unsigned workers;
        bool completes;
    };
    const Case cases[] = {
        {"failed in its spool", true, 10, kEveryProcessor, true},
        {"failed in its spool, stream", false, 10, kEveryProcessor, true},
        {"failed straight in the archive", true, kSpoolLimit + 1, kEveryProcessor, true},
        {"failed straight in a stream", false, kSpoolLimit + 1, kEveryProcessor, false},
        {"failed on the writing thread", true, 10, 0, true},
        {"failed on the writing thread, stream", false, 10, 0, false},
    };
    for (const Case& c : cases) {
        items_.clear();
        log_ = OutputLog();
        result_ = ResultKeeper();
        File("one", 100);
        Missing("gone");
        File("late", c.late_size);
        File("two", 200);
        const std::string archive = (root_ / "b.toy").string();
        fs::remove(archive);
        if (!c.completes) {
            EXPECT_THROW(Run(archive, c.rewinds, 0, c.workers), Failure) << c.what;
            EXPECT_FALSE(fs::exists(archive)) << c.what;
            continue;
        }
        Run(archive, c.rewinds, 0, c.workers);
        std::vector<SourceItem> written = {items_[0], items_[3]};
        EXPECT_EQ(ReadAll(archive), Expected(written, 0)) << c.what;
        EXPECT_NE(log_.text().find("added one\nskipped gone: "), std::string::npos) << log_.text();
        EXPECT_NE(log_.text().find("skipped late: late\nadded two\n"), std::string::npos)
            << log_.text();
        EXPECT_NE(result_.code(), 0) << c.what;
    }
}

// Kept entries between and after new ones, and large entries that go straight into the archive
// once their turn comes (beyond a spool, or the last one beyond its share) land in plan order.
TEST_F(PackJobTest, KeptAndLargeEntriesLandInPlanOrder) {
    const std::vector<size_t> cases[] = {{kTurnSpool + 5000},
                                         {10, kTurnSpool + 5000},
                                         {kSpoolLimit + 3, 10, 2 * kTurnSpool},
                                         {kSpoolLimit + 3, kSpoolLimit + 4}};
    for (const std::vector<size_t>& sizes : cases) {
        items_.clear();
        for (size_t i = 0; i < sizes.size(); ++i) File("n" + std::to_string(i), sizes[i]);
        for (unsigned workers : {kEveryProcessor, 1u, 0u}) {
            const std::string archive = (root_ / "k.toy").string();
            fs::remove(archive);
            Plan plan;
            plan.entries.push_back({0, nullptr});
            std::string expected = "<kept0|0>";
            for (size_t i = 0; i < items_.size(); ++i) {
                plan.entries.push_back({kNoOldEntry, &items_[i]});
                plan.entries.push_back({i + 1, nullptr});
                expected += Expected({items_[i]}, 0);
                expected.pop_back();  // the end mark
                expected += "<kept" + std::to_string(i + 1) + "|0>";
            }
            {
                ReplacementFile target(archive);
                ToyWriter writer(target.file(), true, workers);
                Progress progress(false);
                RunPack(target, writer, plan, PackWording{}, log_, result_, progress);
            }
            EXPECT_TRUE(ReadAll(archive) == expected + "$") << sizes.size() << " " << workers;
            EXPECT_EQ(result_.code(), 0);
        }
    }
}

// A failure of the archive itself ends the job and leaves the old archive as it was.
TEST_F(PackJobTest, OldArchiveUntouchedWhenTheJobFails) {
    const std::string archive = (root_ / "c.toy").string();
    std::ofstream(archive, std::ios::binary) << "the old archive";
    for (int i = 0; i < 20; ++i) File("f" + std::to_string(i), 3000);
    File("fatal", 10);
    File("after", 10);
    try {
        Run(archive, true, 0);
        FAIL() << "no failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.code(), result::kDiskFull);
    }
    EXPECT_EQ(ReadAll(archive), "the old archive");
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), {}), 2);  // the archive and src/
}

}  // namespace
}  // namespace quorvex6::backend::jobs
