// libunrar32: Unrar and the enumeration set. Extracts, tests and lists RAR archives, both
// generations, with our own reader.
#include <memory>
#include <string>

#include "common/check_archive.h"
#include "common/command_gate.h"
#include "common/command_line.h"
#include "common/entry_info.h"
#include "common/enumeration.h"
#include "common/export.h"
#include "common/fault_codes.h"
#include "quorvex6/archiver_api.h"
#include "unrar32/archive.h"
#include "unrar32/commands.h"
#include "unrar32/options.h"

using namespace quorvex6::backend;
namespace unrar = quorvex6::backend::unrar32;

namespace {

constexpr uint16_t kVersion = 100;

CommandGate& Gate() {
    static CommandGate gate;
    return gate;
}

Enumeration& Listings() {
    static Enumeration listings([](const std::string& archive) {
        return ListHeldEntries(std::make_unique<unrar::Archive>(archive),
                               [](const rar::JoinedEntry& entry) { return unrar::FactsOf(entry); });
    });
    return listings;
}

int32_t RunUnrar(const std::string& line, OutputLog& log) {
    ParsedCommand cmd = ParseCommand(line, {unrar::Switches(), {}});
    unrar::Options options = unrar::ReadOptions(cmd);
    if (cmd.archive.empty()) throw Failure(result::kNoArchiveName, "no archive name");
    unrar::Archive archive(cmd.archive);
    if (options.action == unrar::Action::kTest) return unrar::Test(archive, cmd.names, log);
    return unrar::Extract(archive, cmd.names, cmd.folder, options, log);
}

}  // namespace

QV_DECLARE_ENTRY_POINTS(unrar32);

QV_EXPORT int32_t Unrar(QvWindow, const char* cmdline, char* output, uint32_t size) {
    std::string line = cmdline ? cmdline : "";
    return Gate().Run(output, size, [&](OutputLog& log) { return RunUnrar(line, log); });
}

QV_EXPORT uint16_t UnrarGetVersion() { return kVersion; }

QV_EXPORT int32_t UnrarGetRunning() { return Gate().running() ? 1 : 0; }

QV_EXPORT int32_t UnrarCheckArchive(const char* archive, int32_t mode) {
    return CheckArchiveAnswer(
        archive, mode,
        CheckHeldArchive<unrar::Archive>(
            [](const unrar::Archive& a, OutputLog& log) { return unrar::Test(a, {}, log); }));
}

QV_EXPORT QvArchive UnrarOpenArchive(QvWindow, const char* archive, uint32_t) {
    return Listings().Open(archive);
}

QV_EXPORT int32_t UnrarFindFirst(QvArchive handle, const char* pattern, QvEntryInfo* info) {
    return Listings().FindFirst(handle, pattern, info);
}

QV_EXPORT int32_t UnrarFindNext(QvArchive handle, QvEntryInfo* info) {
    return Listings().FindNext(handle, info);
}

QV_EXPORT int32_t UnrarCloseArchive(QvArchive handle) { return Listings().Close(handle); }
