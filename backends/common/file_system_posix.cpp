#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "common/file_system.h"
#include "common/result.h"

namespace quorvex6::backend {

namespace {

FileKind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::kRegular;
    if (S_ISDIR(mode)) return FileKind::kFolder;
    if (S_ISLNK(mode)) return FileKind::kLink;
    return FileKind::kOther;
}

[[noreturn]] void ThrowWrite(int err, const std::string& path) {
    int32_t code = (err == ENOSPC || err == EDQUOT) ? result::kDiskFull : result::kWriteError;
    throw Failure(code, "cannot write " + path + ": " + std::strerror(err));
}

// Whatever is at a link's name makes way for it, but a folder is never removed.
void ClearForLink(const std::string& path) {
    if (unlink(path.c_str()) != 0 && errno == EISDIR)
        throw Failure(result::kFileExists, "a folder of that name exists: " + path);
}

std::string Join(const std::string& root, const std::string& relative) {
    if (root.empty()) return relative;
    return root.back() == '/' ? root + relative : root + "/" + relative;
}

FileStat StatOf(const struct stat& st) {
    FileStat out;
    out.kind = KindOf(st.st_mode);
    out.size = static_cast<uint64_t>(st.st_size);
    out.mtime = st.st_mtim.tv_sec;
    out.mtime_ns = static_cast<uint32_t>(st.st_mtim.tv_nsec);
    out.mode = st.st_mode & 07777;
    out.device = st.st_dev;
    out.inode = st.st_ino;
    return out;
}

// A failure to make a file in a folder, with its cause named.
[[noreturn]] void ThrowCreate(int err, const std::string& path, int32_t denied) {
    if (err == ENOSPC || err == EDQUOT) ThrowWrite(err, path);
    if (err == EACCES || err == EPERM)
        throw Failure(denied, "cannot create " + path + ": its folder is write-protected (" +
                                  std::strerror(err) + ")");
    if (err == EROFS)
        throw Failure(denied, "cannot create " + path + ": the file system is read-only");
    throw Failure(result::kCannotMakeWorkFile, "cannot create " + path + ": " + std::strerror(err));
}

// A name for a file on its way to `name`, unique with `attempt`; short enough for any name.
std::string WorkName(const std::string& name, uint64_t inode, unsigned attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".qv%llx-%u", static_cast<unsigned long long>(inode),
                  attempt);
    return name.substr(0, 200) + suffix;
}

// The folder part of `path`, which ends with `name`.
std::string FolderPart(const std::string& path, const std::string& name) {
    return path.substr(0, path.size() - std::min(path.size(), name.size()));
}

}  // namespace

std::optional<FileStat> StatPath(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return std::nullopt;
    return StatOf(st);
}

bool ReadSmallFile(const std::string& path, std::string* text) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) > kMaxSmallFile) {
        close(fd);
        return false;
    }
    text->clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            return n == 0;
        }
        text->append(buffer, static_cast<size_t>(n));
        if (text->size() > kMaxSmallFile) {
            close(fd);
            return false;
        }
    }
}

std::vector<FolderItem> ListFolder(const std::string& path) {
    DIR* dir = opendir(path.empty() ? "." : path.c_str());
    if (dir == nullptr) throw Failure(result::kCannotOpen, "cannot read folder " + path);
    std::vector<FolderItem> items;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        items.push_back({std::move(name), StatOf(st)});
    }
    closedir(dir);
    std::sort(items.begin(), items.end(),
              [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
    return items;
}

bool PassesThroughLink(const std::string& root, const std::string& relative) {
    size_t pos = 0;
    while ((pos = relative.find('/', pos)) != std::string::npos) {
        struct stat st;
        std::string part = Join(root, relative.substr(0, pos));
        if (lstat(part.c_str(), &st) != 0) return false;  // nothing further exists
        if (S_ISLNK(st.st_mode)) return true;
        ++pos;
    }
    return false;
}

void MakeFoldersBelow(const std::string& root, const std::string& relative) {
    size_t pos = 0;
    while (pos <= relative.size()) {
        size_t next = relative.find('/', pos);
        if (next == std::string::npos) next = relative.size();
        if (next > pos) {
            std::string part = Join(root, relative.substr(0, next));
            struct stat st;
            if (lstat(part.c_str(), &st) == 0) {
                if (S_ISLNK(st.st_mode))
                    throw Failure(result::kAccessDenied, "passes through a link: " + part);
                if (!S_ISDIR(st.st_mode))
                    throw Failure(result::kCannotMakeFolder, "not a folder: " + part);
            } else if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
                if (errno == ENOSPC || errno == EDQUOT) ThrowWrite(errno, part);
                throw Failure(result::kCannotMakeFolder,
                              "cannot make folder " + part + ": " + std::strerror(errno));
            }
        }
        pos = next + 1;
    }
}

void MakeTrustedFolder(const std::string& path) {
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            if (errno == ENOSPC || errno == EDQUOT) ThrowWrite(errno, part);
            throw Failure(result::kCannotMakeFolder,
                          "cannot make folder " + part + ": " + std::strerror(errno));
        }
    }
}

bool WriteProtected(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) return true;
    return access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EPERM || errno == EROFS);
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

void MakeSymlink(const std::string& target, const std::string& path) {
    ClearForLink(path);
    if (symlink(target.c_str(), path.c_str()) != 0) ThrowWrite(errno, path);
}

void MakeHardLink(const std::string& existing, const std::string& path) {
    ClearForLink(path);
    if (link(existing.c_str(), path.c_str()) != 0) ThrowWrite(errno, path);
}

std::string ReadLink(const std::string& path) {
    char buffer[4096];
    ssize_t n = readlink(path.c_str(), buffer, sizeof buffer);
    if (n < 0) throw Failure(result::kCannotOpen, "cannot read link " + path);
    return std::string(buffer, static_cast<size_t>(n));
}

InputFile::InputFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0)
        throw Failure(result::kCannotOpen, "cannot open " + path + ": " + std::strerror(errno));
}
InputFile::InputFile(const OpenFolder& folder, const std::string& name, const std::string& path)
    : fd_(openat(folder.fd_, name.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0)
        throw Failure(result::kCannotOpen, "cannot open " + path + ": " + std::strerror(errno));
}
InputFile::InputFile(InputFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
InputFile& InputFile::operator=(InputFile&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
}
InputFile::~InputFile() {
    if (fd_ >= 0) close(fd_);
}

uint64_t InputFile::Size() const {
    struct stat st;
    if (fstat(fd_, &st) != 0) throw Failure(result::kReadError, "cannot stat an open file");
    return static_cast<uint64_t>(st.st_size);
}

namespace {

size_t ReadAllAt(int fd, uint64_t offset, void* buffer, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t got = pread(fd, static_cast<char*>(buffer) + done, n - done,
                            static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0)
            throw Failure(result::kReadError, std::string("read error: ") + std::strerror(errno));
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

}  // namespace

size_t InputFile::ReadAt(uint64_t offset, void* buffer, size_t n) const {
    return ReadAllAt(fd_, offset, buffer, n);
}

size_t InputFile::Read(void* buffer, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t got = read(fd_, static_cast<char*>(buffer) + done, n - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0)
            throw Failure(result::kReadError, std::string("read error: ") + std::strerror(errno));
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

OutputFile OutputFile::Create(const std::string& path, uint32_t mode) {
    OutputFile file;
    file.path_ = path;
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW;
    file.fd_ = open(path.c_str(), flags, mode);
    if (file.fd_ < 0 && errno == ELOOP) {
        unlink(path.c_str());
        file.fd_ = open(path.c_str(), flags, mode);
    }
    if (file.fd_ < 0) {
        if (errno == ENOSPC || errno == EDQUOT) ThrowWrite(errno, path);
        int32_t code =
            errno == EACCES || errno == EROFS ? result::kReadOnlyTarget : result::kCannotOpen;
        throw Failure(code, "cannot create " + path + ": " + std::strerror(errno));
    }
    return file;
}

OpenFolder::OpenFolder(const std::string& path, bool follow_link)
    : fd_(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow_link ? 0 : O_NOFOLLOW))) {
    if (fd_ < 0)
        throw Failure(result::kCannotOpen,
                      "cannot open folder " + path + ": " + std::strerror(errno));
}
OpenFolder::OpenFolder(OpenFolder&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
}
OpenFolder::~OpenFolder() {
    if (fd_ >= 0) close(fd_);
}

std::optional<OutputFile> OutputFile::CreateExclusiveIn(const OpenFolder& folder,
                                                        const std::string& name,
                                                        const std::string& path, uint32_t mode,
                                                        int32_t denied) {
    OutputFile file;
    int err = 0;
    // Registered as it is made: a signal must not find it at its final name unregistered.
    file.pending_ = PendingName::WhileMaking(path, [&]() noexcept {
        file.fd_ = openat(folder.fd_, name.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode & 0777);
        err = errno;
        return file.fd_ >= 0;
    });
    if (file.fd_ < 0) {
        if (err == EEXIST) return std::nullopt;
        ThrowCreate(err, path, denied);
    }
    file.path_ = path;
    file.pending_name_ = true;
    return file;
}

std::optional<OutputFile> OutputFile::CreateUnnamedIn(const OpenFolder& folder,
                                                      const std::string& path, uint32_t mode,
                                                      int32_t denied) {
    OutputFile file;
    file.fd_ = openat(folder.fd_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode & 0777);
    if (file.fd_ >= 0) {
        file.path_ = path;
        file.unnamed_ = true;
        return file;
    }
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return std::nullopt;
    ThrowCreate(errno, path, denied);
}

OutputFile OutputFile::CreateBeside(const std::string& target, int32_t denied) {
    // The name is chosen here rather than by mkostemp, so that it is registered as it is made:
    // a signal must not find the work file made and unregistered.
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static constexpr int kAttempts = 100;
    std::random_device random;
    std::uniform_int_distribution<size_t> letter(0, sizeof kLetters - 2);
    OutputFile file;
    for (int attempt = 1;; ++attempt) {
        std::string path = target + ".qv";
        for (int i = 0; i < 6; ++i) path += kLetters[letter(random)];
        int err = 0;
        file.pending_ = PendingName::WhileMaking(path, [&]() noexcept {
            file.fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            err = errno;
            return file.fd_ >= 0;
        });
        if (file.fd_ >= 0) {
            file.path_ = std::move(path);
            file.pending_name_ = true;
            return file;
        }
        if (err != EEXIST || attempt == kAttempts) ThrowCreate(err, target, denied);
    }
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(other.fd_),
      position_(other.position_),
      path_(std::move(other.path_)),
      unnamed_(other.unnamed_),
      pending_name_(other.pending_name_),
      pending_(std::move(other.pending_)) {
    other.fd_ = -1;
    other.path_.clear();
    other.unnamed_ = false;
    other.pending_name_ = false;
}
OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    std::swap(fd_, other.fd_);
    std::swap(position_, other.position_);
    std::swap(path_, other.path_);
    std::swap(unnamed_, other.unnamed_);
    std::swap(pending_name_, other.pending_name_);
    std::swap(pending_, other.pending_);
    return *this;
}
OutputFile::~OutputFile() {
    if (fd_ >= 0) close(fd_);
}

void OutputFile::Write(const void* data, size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t put = write(fd_, p, n);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) ThrowWrite(errno, path_);
        if (put == 0) ThrowWrite(ENOSPC, path_);
        p += put;
        n -= static_cast<size_t>(put);
        position_ += static_cast<uint64_t>(put);
    }
}

void OutputFile::WriteAt(uint64_t offset, const void* data, size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t put = pwrite(fd_, p, n, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) ThrowWrite(put < 0 ? errno : ENOSPC, path_);
        p += put;
        n -= static_cast<size_t>(put);
        offset += static_cast<uint64_t>(put);
    }
}

size_t OutputFile::ReadAt(uint64_t offset, void* buffer, size_t n) const {
    return ReadAllAt(fd_, offset, buffer, n);
}

void OutputFile::SetTimeAndMode(int64_t mtime, std::optional<uint32_t> mode) {
    if (mode) fchmod(fd_, *mode & 0777);  // never set-id or sticky bits from an archive
    timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
    futimens(fd_, times);
}

void OutputFile::SetMode(uint32_t mode) { fchmod(fd_, mode & 0777); }

std::optional<std::pair<uint64_t, uint64_t>> OutputFile::Identity() const {
    struct stat st;
    if (fstat(fd_, &st) != 0) return std::nullopt;
    return std::make_pair(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino));
}

void OutputFile::Truncate(uint64_t size) {
    if (ftruncate(fd_, static_cast<off_t>(size)) != 0 ||
        lseek(fd_, static_cast<off_t>(size), SEEK_SET) < 0)
        ThrowWrite(errno, path_);
    position_ = size;
}

void OutputFile::Sync() {
    if (fsync(fd_) != 0 && errno != EINVAL) ThrowWrite(errno, path_);
}

void OutputFile::Close() {
    if (fd_ < 0) return;
    int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) ThrowWrite(errno, path_);
}

int OutputFile::LinkAs(const OpenFolder& folder, const std::string& name) const {
    if (linkat(fd_, "", folder.fd_, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    if (errno != ENOENT && errno != EPERM) return errno;
    // Not allowed to us by this kernel: the same through the process's view of its files.
    std::string self = "/proc/self/fd/" + std::to_string(fd_);
    int done = linkat(AT_FDCWD, self.c_str(), folder.fd_, name.c_str(), AT_SYMLINK_FOLLOW);
    return done == 0 ? 0 : errno;
}

int OutputFile::LinkAsWork(const OpenFolder& folder, const std::string& name,
                           const std::string& folder_path, std::string* work,
                           PendingName* pending) const {
    struct stat st;
    uint64_t inode = fstat(fd_, &st) == 0 ? st.st_ino : 0;
    int err = EEXIST;
    for (unsigned attempt = 0; err == EEXIST && attempt < 100; ++attempt) {
        *work = WorkName(name, inode, attempt);
        *pending = PendingName(folder_path + *work);
        err = LinkAs(folder, *work);
    }
    return err;
}

void OutputFile::Park(const OpenFolder& folder, const std::string& name) {
    if (unnamed_) {
        std::string work;
        PendingName pending;
        std::string folder_path = FolderPart(path_, name);
        if (int err = LinkAsWork(folder, name, folder_path, &work, &pending); err != 0)
            ThrowWrite(err, path_);
        pending_ = std::move(pending);
        pending_name_ = true;
        unnamed_ = false;
        path_ = folder_path + work;
    }
    Close();
}

bool OutputFile::Publish(const OpenFolder& folder, const std::string& name, const std::string& path,
                         bool replace) {
    auto fail = [&](int err) {
        if (err == EISDIR || err == ENOTEMPTY)
            throw Failure(result::kFileExists, "a folder of that name exists: " + path);
        ThrowWrite(err, path);
    };
    if (pending_name_ && path_ == path) {
        // Made where it belongs: nothing to rename.
    } else if (unnamed_) {
        int err = LinkAs(folder, name);
        if (err == EEXIST && replace) {
            // Only a rename replaces (a link at the name included, never followed): under a
            // work name first, which stays registered for the moment it exists.
            std::string work;
            PendingName pending;
            err = LinkAsWork(folder, name, FolderPart(path, name), &work, &pending);
            if (err == 0 && renameat(folder.fd_, work.c_str(), folder.fd_, name.c_str()) != 0) {
                err = errno;
                unlinkat(folder.fd_, work.c_str(), 0);
                fail(err);
            }
        }
        if (err == EEXIST && !replace) return false;
        if (err != 0) fail(err);
        unnamed_ = false;
    } else if (replace) {
        if (renameat(AT_FDCWD, path_.c_str(), folder.fd_, name.c_str()) != 0) fail(errno);
    } else {
        if (linkat(AT_FDCWD, path_.c_str(), folder.fd_, name.c_str(), 0) != 0) {
            if (errno == EEXIST) return false;
            fail(errno);
        }
        unlink(path_.c_str());
    }
    pending_.Release();
    pending_name_ = false;
    path_ = path;
    return true;
}

void OutputFile::Discard() noexcept {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (pending_name_) unlink(path_.c_str());
    pending_name_ = false;
    pending_.Release();
}

FileLock::FileLock(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ >= 0) {
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) close(fd_);
}

bool UnnamedFilesAvailable() { return access("/proc/self/fd", X_OK) == 0; }

uint32_t FileCreationMask() {
    std::string status;
    uint32_t mask = 022;
    if (ReadSmallFile("/proc/self/status", &status)) {
        size_t at = status.find("Umask:");
        if (at != std::string::npos)
            mask = static_cast<uint32_t>(std::strtoul(status.c_str() + at + 6, nullptr, 8));
    }
    return mask & 0777;
}

uint32_t DefaultFileMode() { return 0666 & ~FileCreationMask(); }

void SetPathTime(const std::string& path, int64_t mtime) {
    timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

void SetPathMode(const std::string& path, uint32_t mode) { chmod(path.c_str(), mode & 0777); }

}  // namespace quorvex6::backend
