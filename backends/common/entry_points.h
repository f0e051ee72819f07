// The entry points each archiver library exports, written once. The exported layer declares
// its set from here (QV_DECLARE_ENTRY_POINTS in common/export.h), so a definition of another
// shape does not compile, and the linker's export list is made from here, so a library exports
// nothing else. The control binds the same names from its own table
// (src/archivers/library_table.h); tests/archivers holds the two, and what is built, together.
// Macros only and no includes: the export list is made by running the preprocessor on this file.
#pragma once

// X(name, type) for each entry point; type is its pointer type from quorvex6/archiver_api.h.
#define QV_STANDARD_ENTRY_POINTS(X, P)   \
    X(P, QvCommandFn)                    \
    X(P##GetVersion, QvGetVersion16Fn)   \
    X(P##GetRunning, QvGetRunningFn)     \
    X(P##CheckArchive, QvCheckArchiveFn) \
    X(P##OpenArchive, QvOpenArchiveFn)   \
    X(P##FindFirst, QvFindFirstFn)       \
    X(P##FindNext, QvFindNextFn)         \
    X(P##CloseArchive, QvCloseArchiveFn)

#define QV_ENTRY_POINTS_unlha32(X) QV_STANDARD_ENTRY_POINTS(X, Unlha)
#define QV_ENTRY_POINTS_unzip32(X) QV_STANDARD_ENTRY_POINTS(X, UnZip)
#define QV_ENTRY_POINTS_zip32j(X)      \
    X(Zip, QvCommandFn)                \
    X(ZipGetVersion, QvGetVersion16Fn) \
    X(ZipGetRunning, QvGetRunningFn)
#define QV_ENTRY_POINTS_cab32(X) QV_STANDARD_ENTRY_POINTS(X, Cab)
#define QV_ENTRY_POINTS_unarj32j(X) QV_STANDARD_ENTRY_POINTS(X, Unarj)
#define QV_ENTRY_POINTS_ish32(X)         \
    X(Ish, QvIshCommandFn)               \
    X(IshGetVersion, QvGetVersion32Fn)   \
    X(IshGetRunning, QvGetRunningFn)     \
    X(IshCheckArchive, QvCheckArchiveFn) \
    X(IshFileList, QvIshFileListFn)
#define QV_ENTRY_POINTS_tar32(X) QV_STANDARD_ENTRY_POINTS(X, Tar)
#define QV_ENTRY_POINTS_unrar32(X) QV_STANDARD_ENTRY_POINTS(X, Unrar)

// The set of library lib (unlha32, zip32j, ... or a macro naming one), expanded with X.
#define QV_ENTRY_POINTS(lib, X) QV_ENTRY_POINTS_OF(lib, X)
#define QV_ENTRY_POINTS_OF(lib, X) QV_ENTRY_POINTS_##lib(X)
