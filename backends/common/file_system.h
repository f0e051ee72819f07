// Files and folders as the libraries need them. This header and file_system_posix.cpp are the
// only place that knows the operating system's file calls; a port replaces the .cpp.
// Failures throw Failure with the closest result code (disk full is always 0x8005).
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/pending_names.h"

namespace quorvex6::backend {

enum class FileKind { kRegular, kFolder, kLink, kOther };

struct FileStat {
    FileKind kind = FileKind::kOther;
    uint64_t size = 0;
    int64_t mtime = 0;      // seconds since 1970, UTC
    uint32_t mtime_ns = 0;  // and nanoseconds
    uint32_t mode = 0;      // permission bits (07777)
    uint64_t device = 0;
    uint64_t inode = 0;
};

// Does not follow a final link: a link is reported as kLink.
std::optional<FileStat> StatPath(const std::string& path);
// Regular files of at most kMaxSmallFile bytes (response files), else false.
inline constexpr size_t kMaxSmallFile = 64 << 20;
bool ReadSmallFile(const std::string& path, std::string* text);

struct FolderItem {
    std::string name;
    FileStat stat;
};
// Sorted by name so that archives are reproducible; each item with its stat (taken relative
// to the open folder, which spares a lookup of the whole path). Items that vanish meanwhile
// are left out. Throws 0x800D when the folder cannot be read.
std::vector<FolderItem> ListFolder(const std::string& path);

// Makes every missing folder of `path` (relative to `root`, which must exist) without passing
// through links; throws 0x8030 when a component is a link, 0x8012 when it cannot be made.
void MakeFoldersBelow(const std::string& root, const std::string& relative);
// Makes a folder the caller named (trusted: links are followed), with its parents.
void MakeTrustedFolder(const std::string& path);
// Whether any existing component of `relative` below `root` is a link.
bool PassesThroughLink(const std::string& root, const std::string& relative);

// No write permission bit at all (the read-only attribute of other systems), or none for us.
bool WriteProtected(const std::string& path);

void RemoveFile(const std::string& path);  // ignores a missing file
void MakeSymlink(const std::string& target, const std::string& path);
void MakeHardLink(const std::string& existing, const std::string& path);
std::string ReadLink(const std::string& path);

class OpenFolder;

class InputFile {
  public:
    InputFile() = default;
    explicit InputFile(const std::string& path);  // throws 0x800D
    // `name` in `folder`, which `path` names whole (for errors); throws 0x800D.
    InputFile(const OpenFolder& folder, const std::string& name, const std::string& path);
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    uint64_t Size() const;
    // Reads up to `n` bytes at `offset`; fewer only at the end of the file. Throws 0x801A.
    size_t ReadAt(uint64_t offset, void* buffer, size_t n) const;
    // Sequential read from the current position.
    size_t Read(void* buffer, size_t n);
    bool is_open() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// An open folder, so that files are made in it by their name alone: no walk of the whole path
// for each, and nothing on that path can be swapped meanwhile.
class OpenFolder {
  public:
    OpenFolder() = default;
    // Throws 0x800D; the folder itself must not be a link unless `follow_link` (a folder the
    // caller named).
    explicit OpenFolder(const std::string& path, bool follow_link = false);
    OpenFolder(OpenFolder&& other) noexcept;
    OpenFolder& operator=(OpenFolder&& other) noexcept;
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    ~OpenFolder();

  private:
    friend class InputFile;
    friend class OutputFile;
    int fd_ = -1;
};

class OutputFile {
  public:
    OutputFile() = default;
    // Creates or truncates; never writes through an existing link at `path` (it is replaced).
    static OutputFile Create(const std::string& path, uint32_t mode = 0644);
    // The file `name` in `folder` when nothing was there (nullopt when something is), made with
    // `mode` less the process's mask, to be published where it is; `path`, its whole path,
    // names it. It is pending until then. Throws `denied` when the folder may not be written.
    static std::optional<OutputFile> CreateExclusiveIn(const OpenFolder& folder,
                                                       const std::string& name,
                                                       const std::string& path, uint32_t mode,
                                                       int32_t denied);
    // A file without a name yet in `folder`, made with `mode` less the process's mask, to be
    // published as `path` (which names it in messages): whatever ends the process, it never
    // stays behind unfinished. Nullopt where the file system cannot make one. Throws `denied`
    // when the folder may not be written.
    static std::optional<OutputFile> CreateUnnamedIn(const OpenFolder& folder,
                                                     const std::string& path, uint32_t mode,
                                                     int32_t denied);
    // A new file with a unique name beside `target` (mode 0600), registered as pending until
    // published or discarded. Throws `denied` when the folder may not be written.
    static OutputFile CreateBeside(const std::string& target, int32_t denied);
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    void Write(const void* data, size_t n);  // throws 0x8005 on a full disk, else 0x8013
    void WriteAt(uint64_t offset, const void* data, size_t n);
    // Reads back a file from CreateUnnamedIn or CreateBeside, as InputFile::ReadAt reads.
    size_t ReadAt(uint64_t offset, void* buffer, size_t n) const;
    uint64_t position() const { return position_; }
    void SetTimeAndMode(int64_t mtime, std::optional<uint32_t> mode);
    void SetMode(uint32_t mode);
    // The open file's device and inode (no path to look up), or nullopt when it cannot be told.
    std::optional<std::pair<uint64_t, uint64_t>> Identity() const;
    // Cuts the file back to `size` (or extends it to `size` with a hole) and continues writing
    // there.
    void Truncate(uint64_t size);
    void Sync();
    void Close();  // reports errors of delayed writes
    // Gives a file from CreateUnnamedIn or CreateBeside its final name `name` in `folder`
    // (`path` names it whole); a file from CreateExclusiveIn is only no longer pending. With
    // `replace`, what is at the name gives way (a link is replaced, not followed; a folder
    // never: 0x8010); without, false when something is there.
    bool Publish(const OpenFolder& folder, const std::string& name, const std::string& path,
                 bool replace);
    // Closes the file, leaving it pending under a work name beside `name` in `folder` (where
    // it is to be published), so that many files can wait for Publish without holding a
    // descriptor each. Sync and set its mode first: a parked file can only be published or
    // discarded.
    void Park(const OpenFolder& folder, const std::string& name);
    // Closes a file that is not to be published, removing its name if it has one.
    void Discard() noexcept;
    // Where it is, or is to be once published.
    const std::string& path() const { return path_; }

  private:
    // Gives the unnamed file a name in `folder`; errno, or 0 when done.
    int LinkAs(const OpenFolder& folder, const std::string& name) const;
    // Gives the unnamed file a registered work name for `name` in `folder` (whose path is
    // `folder_path`), unique beside it; errno, or 0 with `work` and `pending` set.
    int LinkAsWork(const OpenFolder& folder, const std::string& name,
                   const std::string& folder_path, std::string* work, PendingName* pending) const;

    int fd_ = -1;
    uint64_t position_ = 0;
    std::string path_;
    bool unnamed_ = false;
    bool pending_name_ = false;  // named by CreateBeside or CreateExclusiveIn, until published
    PendingName pending_;        // that name
};

// An exclusive advisory lock on an existing file while it lives (none when it cannot be had):
// writers that replace a file take it on the old one, so that one checks and replaces at a time.
class FileLock {
  public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_ = -1;
};

// Whether files made by CreateUnnamedIn can be published here.
bool UnnamedFilesAvailable();

// The process's umask, read (setting it would change it for every thread for a moment).
uint32_t FileCreationMask();
// Permissions for a new file when an archive gives none: 0666 less the process's umask.
uint32_t DefaultFileMode();

// Sets a folder's time after its contents are written (which would change it).
void SetPathTime(const std::string& path, int64_t mtime);
// Sets a folder's permission bits (never set-id or sticky bits).
void SetPathMode(const std::string& path, uint32_t mode);

}  // namespace quorvex6::backend
