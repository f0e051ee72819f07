#include "platform/filesystem.h"

#include <windows.h>

#include <stdexcept>

#include "platform/codepage.h"

namespace quorvex6::platform {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::runtime_error Failure(const std::string& what, std::u16string_view path) {
    return std::runtime_error(what + " " + ToSystem(path) + " (error " +
                              std::to_string(GetLastError()) + ")");
}

HANDLE OpenForWriting(const std::u16string& path) {
    return CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

void WriteAll(HANDLE file, std::string_view bytes, std::u16string_view path) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!::WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
            CloseHandle(file);
            throw Failure("cannot write", path);
        }
        done += wrote;
    }
}

}  // namespace

bool SearchFinds(std::u16string_view path, Match match) {
    const std::u16string name(path);
    if (name.empty()) return false;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Wide(name), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool matched = false;
    do {
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        matched = folder == (match == Match::FoldersOnly);
    } while (!matched && FindNextFileW(search, &found));
    FindClose(search);
    return matched;
}

bool IsFolder(std::u16string_view path) {
    const DWORD attributes = GetFileAttributesW(Wide(std::u16string(path)));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::u16string ShortPath(std::u16string_view path) {
    char buffer[300] = {};
    if (GetShortPathNameA(ToSystem(path).c_str(), buffer, sizeof buffer) == 0) return {};
    return FromSystem(buffer);
}

std::u16string TempFolder() {
    char buffer[512] = {};
    GetTempPathA(sizeof buffer, buffer);
    std::string folder = buffer;
    if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
    return FromSystem(folder);
}

std::u16string CreateUniqueFile(std::u16string_view folder, std::u16string_view prefix) {
    char buffer[261] = {};
    GetTempFileNameA(ToSystem(folder).c_str(), ToSystem(prefix).c_str(), 0, buffer);
    return FromSystem(buffer);
}

bool RemoveFile(std::u16string_view path) { return DeleteFileW(Wide(std::u16string(path))) != 0; }

void WriteFile(std::u16string_view path, std::string_view bytes) {
    HANDLE file = OpenForWriting(std::u16string(path));
    if (file == INVALID_HANDLE_VALUE) throw Failure("cannot open", path);
    WriteAll(file, bytes, path);
    CloseHandle(file);
}

std::optional<std::string> ReadFile(std::u16string_view path, size_t maxBytes) {
    HANDLE file = CreateFileW(Wide(std::u16string(path)), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        throw Failure("cannot open", path);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        CloseHandle(file);
        throw Failure("cannot read (or too large)", path);
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    const bool ok = bytes.empty() ||
                    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    if (!ok || got != bytes.size()) throw Failure("cannot read", path);
    return bytes;
}

void ReplaceFileAtomically(std::u16string_view path, std::string_view bytes) {
    const std::u16string target(path);
    const std::u16string fresh = target + u".new";
    HANDLE file = OpenForWriting(fresh);
    if (file == INVALID_HANDLE_VALUE) throw Failure("cannot open", fresh);
    WriteAll(file, bytes, fresh);
    FlushFileBuffers(file);
    CloseHandle(file);
    if (!MoveFileExW(Wide(fresh), Wide(target),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(Wide(fresh));
        throw Failure("cannot replace", path);
    }
}

void ChangeDirectory(std::u16string_view path) {
    // The path carries its drive, so this also makes the drive current.
    if (!SetCurrentDirectoryW(Wide(std::u16string(path)))) throw Failure("cannot change to", path);
}

struct SavedDirectory::Held {
    std::u16string path;
};

SavedDirectory::SavedDirectory() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::u16string buffer(length, u'\0');
    const DWORD got = GetCurrentDirectoryW(length, reinterpret_cast<wchar_t*>(buffer.data()));
    if (got == 0) throw Failure("cannot read the current directory", u"");
    buffer.resize(got);
    held_ = std::make_unique<Held>(Held{std::move(buffer)});
}

SavedDirectory::~SavedDirectory() = default;

void SavedDirectory::Restore() const { ChangeDirectory(held_->path); }

}  // namespace quorvex6::platform
