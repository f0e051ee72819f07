// The bodies of the standard entry points (QV_STANDARD_ENTRY_POINTS), written once. A library
// states what is its own — version, command, archive check, how an archive is listed — in one
// StandardLibrary and exports the whole set with QV_DEFINE_STANDARD_ENTRY_POINTS.
#pragma once
#include <cstdint>
#include <string>
#include <utility>

#include "common/command_gate.h"
#include "common/enumeration.h"
#include "common/export.h"
#include "common/output_log.h"
#include "quorvex6/archiver_api.h"

namespace quorvex6::backend {

class StandardLibrary {
  public:
    // Runs one command line; throws Failure for a result the gate reports.
    using Command = int32_t (*)(const std::string& line, OutputLog& log);
    // CheckArchive's answer: 1 for an archive of the library's kind, else 0.
    using Check = int32_t (*)(const char* archive, int32_t mode);

    StandardLibrary(uint16_t version, Command command, Check check, ListingOpener open_listing)
        : version_(version), command_(command), check_(check), listings_(std::move(open_listing)) {}

    int32_t Run(const char* cmdline, char* output, uint32_t size) {
        const std::string line = cmdline ? cmdline : "";
        return gate_.Run(output, size, [&](OutputLog& log) { return command_(line, log); });
    }
    uint16_t version() const { return version_; }
    int32_t Running() const { return gate_.running() ? 1 : 0; }
    int32_t CheckArchive(const char* archive, int32_t mode) const { return check_(archive, mode); }
    Enumeration& listings() { return listings_; }

  private:
    uint16_t version_;
    Command command_;
    Check check_;
    CommandGate gate_;
    Enumeration listings_;
};

}  // namespace quorvex6::backend

// Exports library lib's standard set, named with prefix P, over the StandardLibrary& that
// `library()` returns. Use once, at file scope.
#define QV_DEFINE_STANDARD_ENTRY_POINTS(lib, P, library)                                       \
    QV_DECLARE_ENTRY_POINTS(lib);                                                              \
    QV_EXPORT int32_t P(QvWindow, const char* cmdline, char* output, uint32_t size) {          \
        return library().Run(cmdline, output, size);                                           \
    }                                                                                          \
    QV_EXPORT uint16_t P##GetVersion() { return library().version(); }                         \
    QV_EXPORT int32_t P##GetRunning() { return library().Running(); }                          \
    QV_EXPORT int32_t P##CheckArchive(const char* archive, int32_t mode) {                     \
        return library().CheckArchive(archive, mode);                                          \
    }                                                                                          \
    QV_EXPORT QvArchive P##OpenArchive(QvWindow, const char* archive, uint32_t) {              \
        return library().listings().Open(archive);                                             \
    }                                                                                          \
    QV_EXPORT int32_t P##FindFirst(QvArchive handle, const char* pattern, QvEntryInfo* info) { \
        return library().listings().FindFirst(handle, pattern, info);                          \
    }                                                                                          \
    QV_EXPORT int32_t P##FindNext(QvArchive handle, QvEntryInfo* info) {                       \
        return library().listings().FindNext(handle, info);                                    \
    }                                                                                          \
    QV_EXPORT int32_t P##CloseArchive(QvArchive handle) {                                      \
        return library().listings().Close(handle);                                             \
    }                                                                                          \
    static_assert(true, "")
