// The one table of the archiver libraries the control binds and of their entry points.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace quorvex6::archivers {

enum class Library : uint8_t { unlha32, unzip32, zip32j, cab32, unarj32j, ish32, tar32, unrar32 };

// How an entry point is called; the C shapes are in quorvex6/archiver_api.h.
enum class Shape : uint8_t {
    Command,      // QvCommandFn
    IshCommand,   // QvIshCommandFn
    Version16,    // QvGetVersion16Fn
    Version32,    // QvGetVersion32Fn
    Running,      // QvGetRunningFn
    Check,        // QvCheckArchiveFn
    Open,         // QvOpenArchiveFn
    FindFirst,    // QvFindFirstFn
    FindNext,     // QvFindNextFn
    Close,        // QvCloseArchiveFn
    IshFileList,  // QvIshFileListFn
};

struct EntryPoint {
    Library library;
    std::string_view name;
    Shape shape;
};

struct LibraryInfo {
    Library id;
    std::string_view name;  // the platform maps it to its file: libunlha32.so on POSIX
};

inline constexpr std::array<LibraryInfo, 8> kLibraries = {{
    {Library::unlha32, "unlha32"},
    {Library::unzip32, "unzip32"},
    {Library::zip32j, "zip32j"},
    {Library::cab32, "cab32"},
    {Library::unarj32j, "unarj32j"},
    {Library::ish32, "ish32"},
    {Library::tar32, "tar32"},
    {Library::unrar32, "unrar32"},
}};

#define QV_STANDARD_SET(lib, P)                                                          \
    {Library::lib, P, Shape::Command}, {Library::lib, P "GetVersion", Shape::Version16}, \
        {Library::lib, P "GetRunning", Shape::Running},                                  \
        {Library::lib, P "CheckArchive", Shape::Check},                                  \
        {Library::lib, P "OpenArchive", Shape::Open},                                    \
        {Library::lib, P "FindFirst", Shape::FindFirst},                                 \
        {Library::lib, P "FindNext", Shape::FindNext}, {                                 \
        Library::lib, P "CloseArchive", Shape::Close                                     \
    }

inline constexpr EntryPoint kEntryPoints[] = {
    QV_STANDARD_SET(unlha32, "Unlha"),
    QV_STANDARD_SET(unzip32, "UnZip"),
    {Library::zip32j, "Zip", Shape::Command},
    {Library::zip32j, "ZipGetVersion", Shape::Version16},
    {Library::zip32j, "ZipGetRunning", Shape::Running},
    QV_STANDARD_SET(cab32, "Cab"),
    QV_STANDARD_SET(unarj32j, "Unarj"),
    {Library::ish32, "Ish", Shape::IshCommand},
    {Library::ish32, "IshGetVersion", Shape::Version32},
    {Library::ish32, "IshGetRunning", Shape::Running},
    {Library::ish32, "IshCheckArchive", Shape::Check},
    {Library::ish32, "IshFileList", Shape::IshFileList},
    QV_STANDARD_SET(tar32, "Tar"),
    QV_STANDARD_SET(unrar32, "Unrar"),
};

#undef QV_STANDARD_SET

// The library and entry-point prefix that serve each archive kind (ArcMode 0..6) for
// extraction, checking and listing. ZIP packing and self-extractors go to zip32j instead.
struct KindLibrary {
    Library library;
    std::string_view prefix;
};

inline constexpr std::array<KindLibrary, 7> kKindLibraries = {{
    {Library::unlha32, "Unlha"},
    {Library::unzip32, "UnZip"},
    {Library::cab32, "Cab"},
    {Library::unarj32j, "Unarj"},
    {Library::ish32, "Ish"},
    {Library::tar32, "Tar"},
    {Library::unrar32, "Unrar"},
}};

inline constexpr bool IsKnownKind(int32_t kind) { return kind >= 0 && kind < 7; }

constexpr std::string_view NameOf(Library library) {
    return kLibraries[static_cast<size_t>(library)].name;
}

// The shape the table gives the entry point, for checking a binding at compile time.
constexpr bool HasEntry(Library library, std::string_view name, Shape shape) {
    for (const auto& entry : kEntryPoints) {
        if (entry.library == library && entry.name == name && entry.shape == shape) return true;
    }
    return false;
}

}  // namespace quorvex6::archivers
