#include "common/replacement_file.h"

#include "common/result.h"

namespace quorvex6::backend {

namespace {

bool SameFile(const std::optional<FileStat>& a, const std::optional<FileStat>& b) {
    if (!a || !b) return !a && !b;
    return a->device == b->device && a->inode == b->inode && a->size == b->size &&
           a->mtime == b->mtime && a->mtime_ns == b->mtime_ns;
}

OpenFolder FolderOf(const std::string& target) {
    size_t slash = target.rfind('/');
    std::string folder =
        slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
    try {
        return OpenFolder(folder, true);
    } catch (const Failure& f) {
        throw Failure(result::kCannotMakeWorkFile, "cannot make " + target + ": " + f.what());
    }
}

OutputFile CreateIn(const OpenFolder& folder, const std::string& target) {
    constexpr int32_t kDenied = result::kAccessDenied;
    if (UnnamedFilesAvailable()) {
        if (std::optional<OutputFile> file =
                OutputFile::CreateUnnamedIn(folder, target, 0600, kDenied))
            return std::move(*file);
    }
    return OutputFile::CreateBeside(target, kDenied);
}

}  // namespace

ReplacementFile::ReplacementFile(std::string target)
    : target_(std::move(target)), original_(StatPath(target_)), folder_(FolderOf(target_)) {
    if (original_ && original_->kind == FileKind::kRegular && WriteProtected(target_))
        throw Failure(result::kReadOnlyArchive, target_ + " is write-protected; not changed");
    size_t slash = target_.rfind('/');
    name_ = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    file_ = CreateIn(folder_, target_);
}

ReplacementFile::~ReplacementFile() { file_.Discard(); }

void ReplacementFile::Finish() {
    uint32_t mode = DefaultFileMode();
    if (original_ && original_->kind == FileKind::kRegular) mode = original_->mode;
    file_.SetMode(mode);
    file_.Sync();
}

void ReplacementFile::Park() {
    Finish();
    file_.Park(folder_, name_);
    folder_ = OpenFolder();
    parked_ = true;
}

void ReplacementFile::Commit() {
    if (parked_)
        folder_ = FolderOf(target_);
    else
        Finish();
    const Failure changed(result::kCannotWriteBack,
                          target_ +
                              " was changed by another writer meanwhile; not replaced, so as not "
                              "to lose that change");
    // Another of our writers holds the lock from its check until its new archive is in place.
    std::optional<FileLock> lock;
    if (original_) lock.emplace(target_);
    if (!SameFile(original_, StatPath(target_))) throw changed;
    if (!file_.Publish(folder_, name_, target_, original_.has_value())) throw changed;
    file_.Close();
    folder_ = OpenFolder();  // a set's cabinets are committed before any is destroyed
}

}  // namespace quorvex6::backend
