#include "ish32/restore_job.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "codecs/ish/reader.h"
#include "common/extract_target.h"
#include "common/file_sink.h"
#include "common/file_system.h"
#include "ish32/decode_outcome.h"
#include "ish32/file_source.h"
#include "ish32/ish_names.h"
#include "ish32/ish_times.h"
#include "ish32/volume_set.h"

namespace quorvex6::backend::ish32 {

namespace {

bool NewerThere(const std::string& path, int64_t mtime) {
    std::optional<FileStat> existing = StatPath(path);
    return existing && existing->kind == FileKind::kRegular && existing->mtime >= mtime;
}

}  // namespace

int32_t RestoreFiles(const std::string& text, const RestoreOptions& options, OutputLog& log) {
    FileSource source(text);
    codecs::ish::Reader reader(source);
    ResultKeeper result;
    ExtractOptions extract;
    extract.folder = options.folder;
    // A header names a file, never a folder: whatever path a first line smuggles in is dropped.
    extract.junk_paths = true;
    extract.restore_mode = false;
    ExtractTarget target(extract, log, result);
    bool any = false;
    std::vector<codecs::ish::FileInfo> sets;  // joined already, from another of their volumes
    while (std::optional<codecs::ish::FileInfo> info = reader.next()) {
        any = true;
        if (info->volume != 0) {
            if (std::ranges::any_of(sets, [&](const auto& set) { return SameSet(set, *info); }))
                continue;
            sets.push_back(*info);
        }
        const std::string name = RestoredName(*info);
        const int64_t mtime = HeaderTime(*info);
        std::optional<std::string> relative = target.Place(name, mtime, false);
        if (!relative) continue;
        if (options.only_newer && NewerThere(InFolder(options.folder, *relative), mtime)) {
            log.Line("skipped " + name + ": a file as new or newer is there (0x800E)");
            continue;
        }
        try {
            PendingFile file = target.BeginFile(*relative);
            if (info->volume != 0) {
                JoinSet(text, *info, file);
            } else {
                FileSink<PendingFile> sink(file);
                codecs::Status status = reader.decode(sink);
                sink.Rethrow();
                if (status != codecs::Status::kOk) throw DecodeFailure(status, reader.report());
            }
            file.Commit(mtime, std::nullopt);
            log.Line("restored " + name);
        } catch (const Failure& failure) {
            // The next file would not fit either.
            if (failure.code() == result::kDiskFull) throw;
            target.EntryFailed(name, failure);
        }
    }
    source.Rethrow();
    if (reader.status() != codecs::Status::kOk) throw Failure(result::kReadError, "read error");
    if (!any) throw Failure(result::kNotValidArchive, "no ISH file in " + text);
    return result.code();
}

}  // namespace quorvex6::backend::ish32
