#include "unlha32/extract.h"

#include <cstdio>
#include <filesystem>

#include "common/dos_time.h"
#include "common/extract_target.h"
#include "common/jobs/extract_job.h"
#include "common/progress.h"
#include "common/system.h"
#include "common/wildcard.h"
#include "formats/lha/member_io.h"
#include "io/memory.h"
#include "unlha32/extract_adapter.h"
#include "unlha32/faults.h"

namespace quorvex6::backend::unlha32 {

using backend::Failure;
using backend::lha::Entry;
namespace result = backend::result;

void NoteDamage(const Archive& archive, backend::OutputLog& log, backend::ResultKeeper& keeper) {
    if (!archive.start_damage().empty()) {
        log.Line(archive.start_damage());
        keeper.Note(result::kBrokenHeader);
    }
    if (archive.end_error()) {
        log.Line("archive damaged after " + std::to_string(archive.entries().size()) + " members");
        keeper.Note(CodeOf(archive.end_error()->fault()));
    }
}

std::vector<const Entry*> Select(const Archive& archive, backend::NameSelection& names) {
    std::vector<const Entry*> out;
    for (const Entry& e : archive.entries()) {
        if (names.Selects(e.name)) out.push_back(&e);
    }
    return out;
}

namespace {

// The destination is made only while extracting, and a missing path has no free space to ask
// about: its nearest existing ancestor lies on the file system that will hold it.
std::string ExistingAncestor(const std::string& folder) {
    std::error_code ec;
    std::filesystem::path p = folder.empty() ? "." : folder;
    p = std::filesystem::absolute(p, ec).lexically_normal();
    while (!std::filesystem::exists(p, ec) && p.has_relative_path()) p = p.parent_path();
    return p.string();
}

// Members whose header declares more than their data can hold fail on their own (a broken
// header), so they take no space here.
void CheckFreeSpace(const std::vector<const Entry*>& selected, const std::string& folder) {
    uint64_t need = 0;
    const Entry* largest = nullptr;
    for (const Entry* e : selected) {
        if (!backend::lha::DeclaredSizePossible(*e)) continue;
        // 64-bit sizes from extended headers could wrap the sum into a small number.
        need = e->original_size > UINT64_MAX - need ? UINT64_MAX : need + e->original_size;
        if (!largest || e->original_size > largest->original_size) largest = e;
    }
    std::optional<uint64_t> free = backend::FreeBytes(ExistingAncestor(folder));
    if (free && *free < need) {
        throw Failure(result::kDiskFull,
                      "not enough free space: " + std::to_string(need) + " bytes needed, " +
                          std::to_string(*free) + " free; the largest member is " + largest->name +
                          " (" + std::to_string(largest->original_size) + " bytes)");
    }
}

}  // namespace

int32_t Extract(Archive& archive, const std::vector<std::string>& names, const std::string& folder,
                const Options& options, backend::OutputLog& log) {
    backend::ResultKeeper keeper;
    NoteDamage(archive, log, keeper);
    backend::NameSelection selection(names, options.recursive || !options.recursion_given);
    std::vector<const Entry*> selected = Select(archive, selection);
    selection.ReportUnmatched(log, keeper);
    if (options.check_space) CheckFreeSpace(selected, folder);
    backend::ExtractOptions eo;
    eo.folder = folder;
    eo.junk_paths = !options.folder_parts;
    eo.only_newer = options.check_time;
    eo.backslash_separates = false;  // the reader has made every separator '/'
    backend::ExtractTarget target(eo, log, keeper);
    backend::Progress progress(options.progress);
    LhaExtractFormat format(archive, options.folder_parts);
    backend::jobs::RunExtraction(format, selection, target, log, progress);
    return keeper.code();
}

int32_t Test(Archive& archive, const std::vector<std::string>& names, backend::OutputLog& log) {
    backend::ResultKeeper keeper;
    backend::NameSelection selection(names, true);
    const std::vector<const Entry*> selected = Select(archive, selection);
    selection.ReportUnmatched(log, keeper);
    for (const Entry* e : selected) {
        backend::io::NullSink sink;
        std::optional<backend::io::Fault> fault;
        try {
            archive.reader().Decode(*e, sink);
        } catch (const backend::io::Error& error) {
            // A failing archive file ends the test; damage is the member's alone.
            if (error.fault() == backend::io::Fault::kRead) throw FailureOf(error, archive.path());
            fault = error.fault();
        }
        log.Line((fault ? "error  " : "ok     ") + e->name);
        if (fault) keeper.Note(CodeOf(*fault));
    }
    NoteDamage(archive, log, keeper);
    return keeper.code();
}

int32_t List(const Archive& archive, const std::vector<std::string>& names,
             backend::OutputLog& log) {
    log.Line("   original   packed  ratio method   crc     date     time   name");
    backend::NameSelection selection(names, true);
    for (const Entry* e : Select(archive, selection)) {
        backend::EntryFacts f = FactsOf(*e);
        backend::DosDateTime dos = backend::ToDosDateTime(e->mtime);
        char line[160];
        std::snprintf(line, sizeof line,
                      "%11llu %8llu %5.1f%% %-7s %04x %04u-%02u-%02u %02u:%02u:%02u ",
                      static_cast<unsigned long long>(e->original_size),
                      static_cast<unsigned long long>(e->packed_size),
                      backend::RatioPerMille(e->original_size, e->packed_size) / 10.0,
                      f.method.c_str(), e->crc, 1980u + (dos.date >> 9), (dos.date >> 5) & 15u,
                      dos.date & 31u, dos.time >> 11u, (dos.time >> 5) & 63u, (dos.time & 31u) * 2);
        log.Line(line + e->name + (e->link_target ? " -> " + *e->link_target : ""));
    }
    backend::ResultKeeper keeper;
    NoteDamage(archive, log, keeper);
    return keeper.code();
}

}  // namespace quorvex6::backend::unlha32
