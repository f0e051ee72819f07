// libunarj32j: Unarj and the enumeration set. Extracts, tests and lists ARJ archives with our
// own decoders.
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
#include "unarj32j/archive.h"
#include "unarj32j/commands.h"
#include "unarj32j/options.h"

using namespace quorvex6::backend;
namespace unarj = quorvex6::backend::unarj32j;

namespace {

constexpr uint16_t kVersion = 100;

CommandGate& Gate() {
    static CommandGate gate;
    return gate;
}

Enumeration& Listings() {
    static Enumeration listings([](const std::string& archive) {
        return ListHeldEntries(std::make_unique<unarj::Archive>(archive),
                               [](const arj::JoinedEntry& entry) { return unarj::FactsOf(entry); });
    });
    return listings;
}

int32_t RunUnarj(const std::string& line, OutputLog& log) {
    ParsedCommand cmd = ParseCommand(line, {unarj::Switches(), unarj::CommandWords(), "-", "@!"});
    unarj::Options options = unarj::ReadOptions(cmd);
    if (cmd.archive.empty()) throw Failure(result::kNoArchiveName, "no archive name");
    unarj::Archive archive(cmd.archive);
    if (cmd.command == "t") return unarj::Test(archive, cmd.names, log);
    return unarj::Extract(archive, cmd.names, cmd.folder, options, log);
}

}  // namespace

QV_DECLARE_ENTRY_POINTS(unarj32j);

QV_EXPORT int32_t Unarj(QvWindow, const char* cmdline, char* output, uint32_t size) {
    std::string line = cmdline ? cmdline : "";
    return Gate().Run(output, size, [&](OutputLog& log) { return RunUnarj(line, log); });
}

QV_EXPORT uint16_t UnarjGetVersion() { return kVersion; }

QV_EXPORT int32_t UnarjGetRunning() { return Gate().running() ? 1 : 0; }

QV_EXPORT int32_t UnarjCheckArchive(const char* archive, int32_t mode) {
    return CheckArchiveAnswer(
        archive, mode,
        CheckHeldArchive<unarj::Archive>(
            [](const unarj::Archive& a, OutputLog& log) { return unarj::Test(a, {}, log); }));
}

QV_EXPORT QvArchive UnarjOpenArchive(QvWindow, const char* archive, uint32_t) {
    return Listings().Open(archive);
}

QV_EXPORT int32_t UnarjFindFirst(QvArchive handle, const char* pattern, QvEntryInfo* info) {
    return Listings().FindFirst(handle, pattern, info);
}

QV_EXPORT int32_t UnarjFindNext(QvArchive handle, QvEntryInfo* info) {
    return Listings().FindNext(handle, info);
}

QV_EXPORT int32_t UnarjCloseArchive(QvArchive handle) { return Listings().Close(handle); }
