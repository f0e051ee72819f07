// Where extracted entries land. Every library writes through this class, so the rules hold for
// all of them: unsafe names and links that lead out are refused (0x8030, one log line each)
// while the other entries go on. A file is written beside its final name, without a name where
// the file system allows, and put in its place only when its data checked out, so a bad entry,
// a failure or a stop never damages an old file nor leaves one cut short that a later run would
// keep. Only where nothing was and a later run would replace the file anyway (no time check) is
// it written in place, the quickest, and removed unless it checked out (on a termination signal
// too).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/file_system.h"
#include "common/output_log.h"
#include "common/result.h"
#include "common/safe_path.h"

namespace quorvex6::backend {

struct ExtractOptions {
    std::string folder;       // destination; "" is the current folder
    bool junk_paths = false;  // store every file directly in the destination
    bool only_newer = false;  // skip when the existing file is as new or newer
    bool never_overwrite = false;
    bool restore_mode = true;         // permission bits (never set-id bits)
    bool backslash_separates = true;  // '\' in stored names is a separator (never in TAR)
};

class ExtractTarget;

class PendingFile {
  public:
    void Write(const void* data, size_t n) { file_.Write(data, n); }
    // Passes over `n` bytes, which read as zeros and take no room where the file system allows.
    void Skip(uint64_t n) { file_.Truncate(file_.position() + n); }
    // Gives the finished file its final name, over what is there; without a mode (or when modes
    // are not restored) it gets the default permissions. A folder at the name is 0x8010.
    void Commit(int64_t mtime, std::optional<uint32_t> mode);
    const std::string& final_path() const { return final_path_; }
    // Whether it may take the place of something at its name when committed (else it was made
    // where nothing was).
    bool replaces() const { return replaces_; }
    ~PendingFile();
    PendingFile(PendingFile&&) = default;
    PendingFile& operator=(PendingFile&&) = delete;
    PendingFile(const PendingFile&) = delete;

  private:
    friend class ExtractTarget;
    struct Destination {
        std::shared_ptr<const OpenFolder> folder;
        std::string name;        // in that folder
        std::string final_path;  // whole
    };
    PendingFile(ExtractTarget& owner, OutputFile file, Destination place,
                std::optional<uint32_t> made_with, bool replaces)
        : owner_(owner),
          file_(std::move(file)),
          folder_(std::move(place.folder)),
          name_(std::move(place.name)),
          final_path_(std::move(place.final_path)),
          made_with_(made_with),
          replaces_(replaces) {}
    ExtractTarget& owner_;
    OutputFile file_;
    std::shared_ptr<const OpenFolder> folder_;
    std::string name_;
    std::string final_path_;
    std::optional<uint32_t> made_with_;  // the permissions the file already has, when known
    bool replaces_;
};

// Place, MakeFolder, MakeLink and MakeHardLink are for one thread, in archive order. BeginFile,
// PendingFile and EntryFailed may then run on several threads at once, once every link of the
// archive exists (so no check can be overtaken by a link made later).
class ExtractTarget {
  public:
    ExtractTarget(ExtractOptions options, OutputLog& log, ResultKeeper& result);
    ~ExtractTarget();  // sets folder times (late, as writing files changes them)
    ExtractTarget(const ExtractTarget&) = delete;
    ExtractTarget& operator=(const ExtractTarget&) = delete;

    // The destination-relative path for a stored name, or nullopt when it is refused or
    // skipped (already logged and noted).
    std::optional<std::string> Place(const std::string& stored, int64_t mtime, bool folder);

    // These take a path from Place. A file made with the permissions it is to keep (`mode`,
    // when given and restored) needs no change of them when committed.
    PendingFile BeginFile(const std::string& relative, std::optional<uint32_t> mode = std::nullopt);
    // Makes the folder a file from Place goes into (BeginFile would), so that later names in it
    // need no check of the path they pass through.
    void MakeFolderOf(const std::string& relative);
    // The folder's time, and its permissions when given and restored, are set at the end, once
    // its contents are written (so that a read-only folder can still be filled).
    void MakeFolder(const std::string& relative, int64_t mtime,
                    std::optional<uint32_t> mode = std::nullopt);
    // False when refused (logged and noted). A link is made only when its target, followed on
    // disk through the links already there, stays inside, and no link made before it leads
    // through its name; a hard link only to a file this target wrote.
    bool MakeLink(const std::string& relative, const std::string& target);
    bool MakeHardLink(const std::string& relative, const std::string& stored_target);

    // Reports one entry's failure and goes on.
    void EntryFailed(const std::string& stored, const Failure& failure);
    const ExtractOptions& options() const { return options_; }

  private:
    struct FolderFinish {
        std::string path;
        int64_t mtime;
        std::optional<uint32_t> mode;
    };
    std::string Root() const;
    // The permissions a file is to end with: its own when given and restored, else the default.
    uint32_t ModeFor(std::optional<uint32_t> mode) const;
    bool IsVerified(const std::string& relative);  // its folder was made or checked here
    void MakeFolders(std::string_view folder);
    std::string Full(const std::string& relative) const;
    // The folder (relative; "" is the destination) made and open for new files in it.
    std::shared_ptr<const OpenFolder> FolderForFiles(const std::string& folder);
    void Refuse(const std::string& stored, const std::string& why);
    PathKind Lookup(const std::string& relative, std::string* link_target) const;
    friend class PendingFile;

    ExtractOptions options_;
    OutputLog& log_;
    ResultKeeper& result_;
    uint32_t default_mode_;
    uint32_t creation_mask_;
    bool unnamed_files_;  // files can be made without a name, and named when committed
    std::mutex mutex_;    // guards the log, the result, the folder lists
    std::vector<FolderFinish> folder_finish_;
    // Looked up by views: every file asks for its folder, and a copy of the name per ask cost
    // more than the lookup.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const {
            return std::hash<std::string_view>()(name);
        }
    };
    std::unordered_set<std::string, NameHash, std::equal_to<>> verified_;
    std::string last_made_;  // the folder MakeFolders was last asked for
    struct FileIdHash {
        size_t operator()(const std::pair<uint64_t, uint64_t>& id) const {
            return std::hash<uint64_t>()(id.second * 31 + id.first);
        }
    };
    std::unordered_set<std::pair<uint64_t, uint64_t>, FileIdHash>
        written_;                                   // device and inode of files written here
    std::unordered_set<std::string> link_depends_;  // paths the links made here lead through
    std::string open_folder_name_;                  // where files were made last
    std::shared_ptr<const OpenFolder> open_folder_;
};

}  // namespace quorvex6::backend
