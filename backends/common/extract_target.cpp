#include "common/extract_target.h"

#include <algorithm>

namespace quorvex6::backend {

PendingFile::~PendingFile() { file_.Discard(); }

void PendingFile::Commit(int64_t mtime, std::optional<uint32_t> mode) {
    uint32_t wanted = owner_.ModeFor(mode);
    file_.SetTimeAndMode(mtime,
                         made_with_ == wanted ? std::nullopt : std::optional<uint32_t>(wanted));
    auto id = file_.Identity();  // naming keeps it
    file_.Publish(*folder_, name_, final_path_, true);
    file_.Close();
    if (id) {
        std::lock_guard lock(owner_.mutex_);
        owner_.written_.insert(*id);
    }
}

ExtractTarget::ExtractTarget(ExtractOptions options, OutputLog& log, ResultKeeper& result)
    : options_(std::move(options)),
      log_(log),
      result_(result),
      default_mode_(DefaultFileMode()),
      creation_mask_(FileCreationMask()),
      unnamed_files_(UnnamedFilesAvailable()) {
    if (!options_.folder.empty() && options_.folder.back() != '/') options_.folder += '/';
    if (!options_.folder.empty()) MakeTrustedFolder(options_.folder);
}

ExtractTarget::~ExtractTarget() {
    // Deepest first, so that setting a folder's time is not undone by its subfolders, nor a
    // subfolder made unreachable by its parent's permissions; a folder stored twice ends as
    // its last entry.
    std::stable_sort(folder_finish_.begin(), folder_finish_.end(),
                     [](const auto& a, const auto& b) { return a.path.size() > b.path.size(); });
    for (const FolderFinish& folder : folder_finish_) {
        if (folder.mode) SetPathMode(folder.path, *folder.mode);
        SetPathTime(folder.path, folder.mtime);
    }
}

bool ExtractTarget::IsVerified(const std::string& relative) {
    std::lock_guard lock(mutex_);
    size_t slash = relative.rfind('/');
    return slash == std::string::npos ||
           verified_.contains(std::string_view(relative).substr(0, slash));
}

void ExtractTarget::MakeFolders(std::string_view folder) {
    std::lock_guard lock(mutex_);
    // Files come folder by folder: the last one asked for is the likely one.
    if (folder == last_made_) return;
    if (verified_.contains(folder)) {
        last_made_ = folder;
        return;
    }
    MakeFoldersBelow(Root(), std::string(folder));
    last_made_ = folder;
    // Every component is now a real folder; one of ours cannot turn into a link later, as
    // making a link never replaces a folder.
    for (size_t pos = folder.find('/'); pos != std::string_view::npos;
         pos = folder.find('/', pos + 1))
        verified_.emplace(folder.substr(0, pos));
    verified_.emplace(folder);
}

uint32_t ExtractTarget::ModeFor(std::optional<uint32_t> mode) const {
    return options_.restore_mode && mode ? *mode & 0777 : default_mode_;
}

std::string ExtractTarget::Root() const { return options_.folder.empty() ? "." : options_.folder; }

std::string ExtractTarget::Full(const std::string& relative) const {
    return options_.folder + relative;
}

void ExtractTarget::Refuse(const std::string& stored, const std::string& why) {
    std::lock_guard lock(mutex_);
    log_.Line("refused " + stored + ": " + why);
    result_.Note(result::kAccessDenied);
}

void ExtractTarget::EntryFailed(const std::string& stored, const Failure& failure) {
    std::lock_guard lock(mutex_);
    log_.Line("failed " + stored + ": " + failure.what());
    result_.Note(failure.code());
}

namespace {

const char* KindName(FileKind kind) {
    switch (kind) {
        case FileKind::kFolder:
            return "folder";
        case FileKind::kLink:
            return "link";
        default:
            return "special file";
    }
}

}  // namespace

std::optional<std::string> ExtractTarget::Place(const std::string& stored, int64_t mtime,
                                                bool folder) {
    // "./": the destination itself
    if (folder && IsCurrentFolder(stored, options_.backslash_separates)) return std::nullopt;
    std::optional<std::string> safe = SafeRelativePath(stored, options_.backslash_separates);
    if (!safe) {
        Refuse(stored, "the name leads outside the destination");
        return std::nullopt;
    }
    std::string relative = *safe;
    if (options_.junk_paths) {
        if (folder) return std::nullopt;
        size_t slash = relative.rfind('/');
        if (slash != std::string::npos) relative = relative.substr(slash + 1);
    }
    if (!IsVerified(relative) && PassesThroughLink(Root(), relative)) {
        Refuse(stored, "the path passes through a link");
        return std::nullopt;
    }
    if (folder) return relative;
    if (options_.only_newer || options_.never_overwrite) {
        if (auto existing = StatPath(Full(relative))) {
            // Only a file can be newer; anything else is in the way, whatever its time.
            if (!options_.never_overwrite && existing->kind != FileKind::kRegular) {
                EntryFailed(stored, Failure(result::kFileExists,
                                            std::string("a ") + KindName(existing->kind) +
                                                " of that name is in the way"));
                return std::nullopt;
            }
            if (options_.never_overwrite || existing->mtime >= mtime) {
                log_.Line("skipped " + stored + ": not newer");
                return std::nullopt;
            }
        }
    }
    return relative;
}

std::shared_ptr<const OpenFolder> ExtractTarget::FolderForFiles(const std::string& folder) {
    {
        // The folder open now was made when it was opened, and stays a folder.
        std::lock_guard lock(mutex_);
        if (open_folder_ && open_folder_name_ == folder) return open_folder_;
    }
    if (!folder.empty()) MakeFolders(folder);
    std::lock_guard lock(mutex_);
    if (!open_folder_ || open_folder_name_ != folder) {
        open_folder_ = std::make_shared<const OpenFolder>(folder.empty() ? Root() : Full(folder));
        open_folder_name_ = folder;
    }
    return open_folder_;
}

PendingFile ExtractTarget::BeginFile(const std::string& relative, std::optional<uint32_t> mode) {
    size_t slash = relative.rfind('/');
    std::shared_ptr<const OpenFolder> folder =
        FolderForFiles(slash == std::string::npos ? std::string() : relative.substr(0, slash));
    std::string full = Full(relative);
    uint32_t wanted = ModeFor(mode);
    std::optional<uint32_t> made_with;
    if ((wanted & creation_mask_) == 0) made_with = wanted;  // the mask takes nothing away
    std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
    uint32_t made = made_with.value_or(0600);
    // A file that a later run would keep (with the time check, or never overwriting) has no name
    // until committed, so that one cut short by a process that ended unawares cannot pass for
    // the finished file. Other new files are made in place, the quickest: a later run replaces
    // them anyway, and a signal or failure removes them.
    const bool kept = options_.only_newer || options_.never_overwrite;
    if (!kept) {
        if (auto fresh =
                OutputFile::CreateExclusiveIn(*folder, name, full, made, result::kReadOnlyTarget))
            return PendingFile(*this, std::move(*fresh),
                               {std::move(folder), std::move(name), std::move(full)}, made_with,
                               false);
        if (auto existing = StatPath(full); existing && existing->kind == FileKind::kFolder)
            throw Failure(result::kFileExists, "a folder of that name exists: " + full);
    }
    std::optional<OutputFile> file;
    if (unnamed_files_)
        file = OutputFile::CreateUnnamedIn(*folder, full, made, result::kReadOnlyTarget);
    if (!file) {
        file = OutputFile::CreateBeside(full, result::kReadOnlyTarget);
        made_with.reset();
    }
    return PendingFile(*this, std::move(*file),
                       {std::move(folder), std::move(name), std::move(full)}, made_with, true);
}

void ExtractTarget::MakeFolderOf(const std::string& relative) {
    size_t slash = relative.rfind('/');
    if (slash != std::string::npos) MakeFolders(std::string_view(relative).substr(0, slash));
}

void ExtractTarget::MakeFolder(const std::string& relative, int64_t mtime,
                               std::optional<uint32_t> mode) {
    MakeFolders(relative);
    std::lock_guard lock(mutex_);
    folder_finish_.push_back(
        {Full(relative), mtime,
         options_.restore_mode && mode ? std::optional<uint32_t>(*mode & 0777) : std::nullopt});
}

PathKind ExtractTarget::Lookup(const std::string& relative, std::string* link_target) const {
    std::optional<FileStat> st = StatPath(Full(relative));
    if (!st) return PathKind::kNothing;
    switch (st->kind) {
        case FileKind::kFolder:
            return PathKind::kFolder;
        case FileKind::kLink:
            *link_target = ReadLink(Full(relative));
            return PathKind::kLink;
        default:
            return PathKind::kOther;
    }
}

// A link is judged by following its target on disk, through the links already there, as the
// system will. That judgement holds for good because what it passed through cannot change
// afterwards: a folder stays a folder (nothing here replaces one), a file can only become
// another file, and no link is made where an earlier link's walk passed (recorded in
// link_depends_). So however links of one archive chain, each one stays inside.
bool ExtractTarget::MakeLink(const std::string& relative, const std::string& target) {
    if (link_depends_.count(relative)) {
        Refuse(relative, "a link made before leads through this name");
        return false;
    }
    std::optional<std::vector<std::string>> depends = ResolveLinkInside(
        relative, target,
        [this](const std::string& path, std::string* link) { return Lookup(path, link); });
    if (!depends) {
        Refuse(relative, "the link leads outside the destination or cannot be followed: " + target);
        return false;
    }
    size_t slash = relative.rfind('/');
    if (slash != std::string::npos) MakeFoldersBelow(Root(), relative.substr(0, slash));
    MakeSymlink(target, Full(relative));
    link_depends_.insert(depends->begin(), depends->end());
    return true;
}

// Only a file written by this command: any other file may share its data with one outside.
bool ExtractTarget::MakeHardLink(const std::string& relative, const std::string& stored_target) {
    std::optional<std::string> target =
        SafeRelativePath(stored_target, options_.backslash_separates);
    if (!target || PassesThroughLink(Root(), *target)) {
        Refuse(relative, "the hard link leads outside the destination: " + stored_target);
        return false;
    }
    std::optional<FileStat> st = StatPath(Full(*target));
    bool ours = false;
    if (st && st->kind == FileKind::kRegular) {
        std::lock_guard lock(mutex_);
        ours = written_.count({st->device, st->inode}) > 0;
    }
    if (!ours) {
        Refuse(relative, "the hard link's target is not an extracted file: " + stored_target);
        return false;
    }
    size_t slash = relative.rfind('/');
    if (slash != std::string::npos) MakeFoldersBelow(Root(), relative.substr(0, slash));
    backend::MakeHardLink(Full(*target), Full(relative));
    return true;
}

}  // namespace quorvex6::backend
