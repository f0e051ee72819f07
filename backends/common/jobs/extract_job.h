// The extraction every library runs: entries selected by name, each placed through the
// ExtractTarget in archive order on the command's thread, file data decoded on an OrderedPool,
// "extracted NAME" lines and failures reported in archive order. A link waits for the files
// before it; a full disk ends the command; any other Failure is the entry's alone.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/byte_pipe.h"
#include "common/extract_target.h"
#include "common/name_selection.h"
#include "common/output_log.h"
#include "common/progress.h"
#include "io/stream.h"

namespace quorvex6::backend::jobs {

enum class ItemKind { kFile, kFolder, kSymlink, kHardLink, kOther };

// What the job needs of one entry.
struct ExtractItem {
    size_t index = 0;  // the format's own number for it
    std::string name;
    int64_t mtime = 0;
    ItemKind kind = ItemKind::kFile;
    std::optional<uint32_t> mode;  // a file's or folder's permissions, when the format has them
    std::string link_target;       // as stored in the header
    uint64_t size = 0;
};

// Where a file's data is decoded.
enum class DataPath {
    kAnyThread,  // on the pool, several at once (each call reads through its own handle)
    kBuffered,   // read into memory here, right after Next; written on the pool
    kHere,       // straight into the file here, right after Next, once the pool is drained
};

// How a format takes part. Decode and LinkTarget throw Failure for the entry alone, and
// io::Error (or a full disk) for what ends the command.
class ExtractFormat {
  public:
    virtual ~ExtractFormat() = default;
    // The next entry in stored order; false at the end.
    virtual bool Next(ExtractItem& item) = 0;
    // How many entries Next gives, 0 when not known beforehand (for progress).
    virtual uint64_t Count() const { return 0; }
    // The format's own checks before the entry is placed: false skips it (logged and noted
    // there when it should be).
    virtual bool Admit(const ExtractItem&) { return true; }
    virtual std::string LinkTarget(const ExtractItem& item) { return item.link_target; }
    // Whether a folder made gets its "extracted" line.
    virtual bool ReportsFolders() const { return true; }
    // Just before a placed file is made.
    virtual void BeforeFile(const ExtractItem&) {}
    virtual DataPath PathOf(const ExtractItem& item) const = 0;
    virtual void Decode(const ExtractItem& item, io::Sink& sink) = 0;
    // Threads of the pool: none where only lent time and the command's thread do the work.
    virtual unsigned Threads() const { return 0; }
    // Offers idle time of the format's own threads to `work` (null: the offer ends).
    virtual void LendIdleTime(IdleWork*) {}
};

void RunExtraction(ExtractFormat& format, NameSelection& names, ExtractTarget& target,
                   OutputLog& log, Progress& progress);

// The whole of an extracting command: the entries `names` select (all when empty; folders
// below a named one too) into a target made from `options`, progress when asked, and a line
// and 0x8031 for every plain name that selected nothing. Codes are noted in `keeper`.
void ExtractSelected(ExtractFormat& format, const std::vector<std::string>& names,
                     const ExtractOptions& options, bool progress, OutputLog& log,
                     ResultKeeper& keeper);

}  // namespace quorvex6::backend::jobs
