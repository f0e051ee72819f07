// What a pack command names, found on disk: names and patterns relative to the base folder,
// expanded into the entries to store, in a stable order (folder walk sorted by name).
#pragma once
#include <string>
#include <vector>

#include "common/file_system.h"
#include "common/output_log.h"
#include "common/result.h"

namespace quorvex6::backend {

struct SourceOptions {
    std::string base;            // "" or ends in '/'
    bool recursive = false;      // patterns also match in subfolders
    bool folder_entries = true;  // store folders as entries of their own
    bool junk_paths = false;     // store names without their folder part
    bool include_hidden = true;  // names starting with '.'
    bool keep_others = false;    // FIFOs, sockets and devices too, for the caller to name
};

struct SourceItem {
    std::string stored;     // name inside the archive; folders end in '/'
    std::string disk_path;  // base + relative path
    FileStat stat;
    std::string link_target;  // for links
};

// Names that match nothing are logged and noted as 0x8031; the rest are still collected.
// Throws 0x8028 (after a log line for each) when junk paths give two files one name.
std::vector<SourceItem> CollectSources(const std::vector<std::string>& names,
                                       const SourceOptions& options, OutputLog& log,
                                       ResultKeeper& result);

}  // namespace quorvex6::backend
