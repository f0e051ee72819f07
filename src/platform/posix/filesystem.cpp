#include "platform/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>
#include <utility>

#include "platform/codepage.h"

namespace quorvex6::platform {
namespace {

bool HasWildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

bool MatchPattern(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p, ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++, starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1, n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// As the platform's directory search matches: "x.*" also finds "x" without an extension.
bool MatchLikeDirectorySearch(std::string_view pattern, std::string_view name) {
    if (MatchPattern(pattern, name)) return true;
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos) {
        return MatchPattern(pattern.substr(0, pattern.size() - 2), name);
    }
    return false;
}

bool EntryMatches(const std::string& path, Match match) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        // A dangling link is still an entry that is not a folder.
        return match == Match::FilesOnly && lstat(path.c_str(), &info) == 0;
    }
    return S_ISDIR(info.st_mode) == (match == Match::FoldersOnly);
}

}  // namespace

bool SearchFinds(std::u16string_view path, Match match) {
    const std::string name = ToSystem(path);
    if (name.empty()) return false;
    const size_t slash = name.rfind('/');
    const std::string leaf = slash == std::string::npos ? name : name.substr(slash + 1);
    if (!HasWildcard(leaf)) return EntryMatches(name, match);
    const std::string parent =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : name.substr(0, slash));
    DIR* dir = opendir(parent.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (!found) {
        const dirent* entry = readdir(dir);
        if (entry == nullptr) break;
        const std::string_view candidate = entry->d_name;
        if (candidate == "." || candidate == "..") continue;
        found = MatchLikeDirectorySearch(leaf, candidate) &&
                EntryMatches(parent + "/" + std::string(candidate), match);
    }
    closedir(dir);
    return found;
}

bool IsFolder(std::u16string_view path) {
    struct stat info {};
    const std::string name = ToSystem(path);
    return stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::u16string ShortPath(std::u16string_view path) {
    struct stat info {};
    const std::string name = ToSystem(path);
    if (name.empty() || stat(name.c_str(), &info) != 0) return {};
    return std::u16string(path);
}

std::u16string TempFolder() {
    const char* env = std::getenv("TMPDIR");
    std::string folder = (env != nullptr && *env != '\0') ? env : "/tmp";
    if (folder.back() != '/') folder.push_back('/');
    return FromSystem(folder);
}

std::u16string CreateUniqueFile(std::u16string_view folder, std::u16string_view prefix) {
    std::random_device entropy;
    std::mt19937 numbers(entropy() ^ static_cast<unsigned>(getpid()));
    const std::string base = ToSystem(folder) + ToSystem(prefix);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(numbers() & 0xFFFFFFu));
        const std::string candidate = base + digits + ".TMP";
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            return FromSystem(candidate);
        }
        if (errno != EEXIST) return {};
    }
    return {};
}

bool RemoveFile(std::u16string_view path) { return unlink(ToSystem(path).c_str()) == 0; }

void WriteFile(std::u16string_view path, std::string_view bytes) {
    const std::string name = ToSystem(path);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw std::runtime_error("cannot open " + name + ": " + std::strerror(errno));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            const int why = errno;
            close(fd);
            throw std::runtime_error("cannot write " + name + ": " + std::strerror(why));
        }
        done += static_cast<size_t>(wrote);
    }
    if (close(fd) != 0)
        throw std::runtime_error("cannot write " + name + ": " + std::strerror(errno));
}

namespace {

// Closes a descriptor on every way out.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
    int Release() { return std::exchange(fd, -1); }
};

// Removes a temporary file on every way out but the one that renamed it.
struct TemporaryFile {
    std::string name;
    bool kept = false;
    ~TemporaryFile() {
        if (!name.empty() && !kept) unlink(name.c_str());
    }
};

[[noreturn]] void FailWith(const std::string& what, const std::string& name, int why) {
    throw std::runtime_error(what + " " + name + ": " + std::strerror(why));
}

std::string FolderOfName(const std::string& name) {
    const size_t slash = name.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : name.substr(0, slash);
}

}  // namespace

std::optional<std::string> ReadFile(std::u16string_view path, size_t maxBytes) {
    const std::string name = ToSystem(path);
    const Descriptor file{open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0) {
        if (errno == ENOENT) return std::nullopt;
        FailWith("cannot open", name, errno);
    }
    struct stat info {};
    // A pipe or a device could block or never end; only regular files are read.
    if (fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        throw std::runtime_error("not a regular file: " + name);
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(file.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) FailWith("cannot read", name, errno);
        if (got == 0) return bytes;
        if (bytes.size() + static_cast<size_t>(got) > maxBytes) {
            throw std::runtime_error("file too large: " + name);
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

void ReplaceFileAtomically(std::u16string_view path, std::string_view bytes) {
    const std::string name = ToSystem(path);
    std::random_device entropy;
    std::mt19937 numbers(entropy() ^ static_cast<unsigned>(getpid()));
    TemporaryFile temp;
    Descriptor file;
    for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(numbers() & 0xFFFFFFu));
        const std::string candidate = name + ".tmp" + digits;
        file.fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file.fd >= 0) temp.name = candidate;
        if (file.fd < 0 && errno != EEXIST) break;
    }
    if (file.fd < 0) FailWith("cannot create a file beside", name, errno);
    struct stat previous {};
    if (lstat(name.c_str(), &previous) == 0 && S_ISREG(previous.st_mode) &&
        fchmod(file.fd, previous.st_mode & 07777) != 0) {
        FailWith("cannot keep the permissions of", name, errno);
    }
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = write(file.fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) FailWith("cannot write", temp.name, wrote < 0 ? errno : ENOSPC);
        done += static_cast<size_t>(wrote);
    }
    // On disk before the rename, so that a crash leaves either the old file or the new one.
    if (fsync(file.fd) != 0) FailWith("cannot write", temp.name, errno);
    if (close(file.Release()) != 0) FailWith("cannot write", temp.name, errno);
    if (rename(temp.name.c_str(), name.c_str()) != 0) FailWith("cannot replace", name, errno);
    temp.kept = true;
    // The rename itself; best effort, since the new file is complete either way.
    const Descriptor folder{open(FolderOfName(name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd >= 0) fsync(folder.fd);
}

void ChangeDirectory(std::u16string_view path) {
    const std::string name = ToSystem(path);
    if (chdir(name.c_str()) != 0) {
        throw std::runtime_error("cannot change to the directory " + name + ": " +
                                 std::strerror(errno));
    }
}

struct SavedDirectory::Held {
    int fd;
};

SavedDirectory::SavedDirectory() {
    // O_PATH: a folder one may enter but not read is still held.
    const int fd = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error(std::string("cannot hold the current directory: ") +
                                 std::strerror(errno));
    held_ = std::make_unique<Held>(Held{fd});
}

SavedDirectory::~SavedDirectory() { close(held_->fd); }

void SavedDirectory::Restore() const {
    if (fchdir(held_->fd) != 0) {
        throw std::runtime_error(
            std::string("cannot change back to the directory the operation started in: ") +
            std::strerror(errno));
    }
}

}  // namespace quorvex6::platform
