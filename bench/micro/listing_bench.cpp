// Listing cost per entry. The control's own share (record decoding, column formatting, table
// growth) must stay under 1 µs per entry and linear, so that listing time is the library's.
// The whole OpenFile of a 32767-entry archive runs through the recording fake library; the
// fake's own walk is measured alone for comparison.
#include <benchmark/benchmark.h>

#include <string>

#include "archivers/bindings.h"
#include "control/module_state.h"
#include "fakes/fake_archiver.h"
#include "listing/enumerated_lister.h"
#include "listing/listing_table.h"
#include "quorvex6/control.h"
#include "quorvex6/enums.h"
#include "support/test_support.h"

namespace {

using namespace quorvex6;

constexpr int kLargest = 32767;

listing::EntryBuffer Record(int i) {
    listing::EntryBuffer buffer;
    buffer.info = testing::MakeEntryInfo(testing::EntryRecord{
        .name = "src/module" + std::to_string(i % 97) + "/file_" + std::to_string(i) + ".cpp",
        .originalSize = static_cast<uint32_t>(i) * 1237u,
        .compressedSize = static_cast<uint32_t>(i) * 411u,
        .crc = 0x9E3779B9u * static_cast<uint32_t>(i),
        .ratio = static_cast<uint16_t>(i % 1000),
        .date = 0x5A21,
        .time = 0x85AF,
        .attribute = "-RWA",
        .method = "-lh5-"});
    return buffer;
}

void SetPerEntry(benchmark::State& run, int64_t entries) {
    run.SetItemsProcessed(run.iterations() * entries);
    run.counters["per_entry"] =
        benchmark::Counter(static_cast<double>(run.iterations() * entries),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    run.SetComplexityN(entries);
}

// The control's work for n records, without any library call.
void BM_FormatAndGrow(benchmark::State& run) {
    const int n = static_cast<int>(run.range(0));
    std::vector<listing::EntryBuffer> records;
    for (int i = 0; i < n; ++i) records.push_back(Record(i));
    for (auto _ : run) {
        int16_t count = 0;
        listing::RestartListing(count);
        for (const auto& record : records)
            listing::AddEntry(listing::BytesOf(record), false, count);
        benchmark::DoNotOptimize(count);
    }
    SetPerEntry(run, n);
}
BENCHMARK(BM_FormatAndGrow)
    ->RangeMultiplier(4)
    ->Range(512, kLargest)
    ->Arg(kLargest)
    ->Complexity(benchmark::oN);

// A fake library loaded with a 32767-entry archive, and an archive file for OpenFile to find.
struct FakeArchive {
    FakeArchive() {
        for (int i = 0; i < kLargest; ++i) fake.Queue("Unlha", Record(i).info);
        path = dir.Write("large.lzh", "lzh").string();
    }
    testing::FakeArchiver fake;
    testing::TempDir dir;
    std::string path;
};

// What the fake itself costs per entry: its find calls alone.
void BM_FakeWalkOnly(benchmark::State& run) {
    FakeArchive archive;
    const auto first =
        archivers::Bind<archivers::Shape::FindFirst>(archivers::Library::unlha32, "UnlhaFindFirst");
    const auto next =
        archivers::Bind<archivers::Shape::FindNext>(archivers::Library::unlha32, "UnlhaFindNext");
    listing::EntryBuffer buffer;
    for (auto _ : run) {
        int found = first(1, "*.*", &buffer.info);
        while (found == 0) found = next(1, &buffer.info);
        archive.fake.ClearCalls();
    }
    SetPerEntry(run, kLargest);
}
BENCHMARK(BM_FakeWalkOnly)->Unit(benchmark::kMillisecond);

// OpenFile end to end: checks, open, 32767 finds, formatting, close.
void BM_OpenFileThroughFake(benchmark::State& run) {
    FakeArchive archive;
    auto control = Quorvex6::CreateNew();
    control->put_ArcMode(LHA_);
    control->put_oArcFileName(testing::U16(archive.path));
    for (auto _ : run) {
        control->OpenFile();
        archive.fake.ClearCalls();
    }
    if (control->get_Error() != 0 || control->get_oFilesCount() != kLargest) {
        run.SkipWithError("the listing did not list every entry");
    }
    SetPerEntry(run, kLargest);
}
BENCHMARK(BM_OpenFileThroughFake)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
