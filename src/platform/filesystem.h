// The file-system services the operations need. Paths are the control's UTF-16 strings.
#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex6::platform {

// The separator a folder name gets when the control appends one.
#if defined(_WIN32)
inline constexpr char16_t kFolderSeparator = u'\\';
#else
inline constexpr char16_t kFolderSeparator = u'/';
#endif

enum class Match { FilesOnly, FoldersOnly };

// The platform's directory search: `*` and `?` in the last component match as there; hidden
// entries count. A failing search (missing parent, name too long, no permission) gives false.
bool SearchFinds(std::u16string_view path, Match match);
bool IsFolder(std::u16string_view path);

// The short form of an existing path (on POSIX the path itself), "" when it does not exist.
std::u16string ShortPath(std::u16string_view path);

// The folder for work files, ending in its separator.
std::u16string TempFolder();
// A new empty file prefix + hexadecimal digits + ".TMP" in folder, created exclusively;
// "" when it cannot be made.
std::u16string CreateUniqueFile(std::u16string_view folder, std::u16string_view prefix);

bool RemoveFile(std::u16string_view path);
// Replaces the file's content; throws std::runtime_error on failure.
void WriteFile(std::u16string_view path, std::string_view bytes);

// The whole content of a file; nullopt when it does not exist. Throws std::runtime_error when
// it cannot be read or is larger than maxBytes.
std::optional<std::string> ReadFile(std::u16string_view path, size_t maxBytes);
// Writes bytes to a new file beside path and renames it over path, so that a failure at any
// point leaves the previous file whole. An existing file's permissions carry over; a link at
// path is replaced, not followed. Throws std::runtime_error on failure.
void ReplaceFileAtomically(std::u16string_view path, std::string_view bytes);

// Makes path the process's current directory; throws std::runtime_error on failure.
void ChangeDirectory(std::u16string_view path);

// The current directory at construction, held so that Restore makes that same directory current
// again: on POSIX by an open descriptor, so that a name the code page cannot carry, or a rename
// meanwhile, does not matter. Both throw std::runtime_error on failure.
class SavedDirectory {
  public:
    SavedDirectory();
    ~SavedDirectory();
    SavedDirectory(const SavedDirectory&) = delete;
    SavedDirectory& operator=(const SavedDirectory&) = delete;
    void Restore() const;

  private:
    struct Held;
    std::unique_ptr<Held> held_;
};

}  // namespace quorvex6::platform
