#include "tar32/tar_extract.h"

#include <optional>

#include "common/file_sink.h"
#include "common/wildcard.h"

namespace quorvex6::backend::tar32 {

void ExtractEntries(tar::TarReader& reader, NameSelection& names, ExtractTarget& target,
                    OutputLog& log, Progress& progress) {
    tar::TarEntry entry;
    uint64_t index = 0;
    while (reader.Next(entry)) {
        const std::string& name = entry.facts.name;
        ++index;
        if (!names.Selects(name)) continue;
        progress.Entry("extracting", name, index, 0);
        if (entry.kind == tar::EntryKind::kOther) {
            log.Line("skipped " + name + ": not a file, folder or link");
            continue;
        }
        std::optional<std::string> relative =
            target.Place(name, entry.facts.mtime, entry.facts.folder);
        if (!relative) continue;
        try {
            switch (entry.kind) {
                case tar::EntryKind::kFolder:
                    target.MakeFolder(*relative, entry.facts.mtime);
                    break;
                case tar::EntryKind::kSymlink:
                    if (!target.MakeLink(*relative, entry.link_target)) continue;
                    break;
                case tar::EntryKind::kHardLink:
                    if (!target.MakeHardLink(*relative, entry.link_target)) continue;
                    break;
                default: {
                    PendingFile file = target.BeginFile(*relative, entry.mode);
                    FileSink sink(file);
                    try {
                        reader.ReadData(sink);
                    } catch (const Failure&) {
                        sink.Rethrow();
                        throw;
                    }
                    file.Commit(entry.facts.mtime, entry.mode);
                }
            }
            log.Line("extracted " + name);
        } catch (const Failure& f) {
            // The stream cannot be resynchronised after broken data; a full disk ends everything.
            if (f.code() == result::kDiskFull || f.code() == result::kBrokenData) throw;
            target.EntryFailed(name, f);
        }
    }
}

}  // namespace quorvex6::backend::tar32
