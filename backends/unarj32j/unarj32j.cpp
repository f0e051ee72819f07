// libunarj32j: Unarj and the enumeration set. Extracts, tests and lists ARJ archives with our
// own decoders.
#include <memory>
#include <string>

#include "common/check_archive.h"
#include "common/command_line.h"
#include "common/entry_info.h"
#include "common/enumeration.h"
#include "common/fault_codes.h"
#include "common/standard_library.h"
#include "quorvex6/archiver_api.h"
#include "unarj32j/archive.h"
#include "unarj32j/commands.h"
#include "unarj32j/options.h"

using namespace quorvex6::backend;
namespace unarj = quorvex6::backend::unarj32j;

namespace {

constexpr uint16_t kVersion = 100;

std::unique_ptr<EntryListing> OpenListing(const std::string& archive) {
    return ListHeldEntries(std::make_unique<unarj::Archive>(archive),
                           [](const arj::JoinedEntry& entry) { return unarj::FactsOf(entry); });
}

int32_t RunUnarj(const std::string& line, OutputLog& log) {
    ParsedCommand cmd = ParseCommand(line, {unarj::Switches(), unarj::CommandWords(), "-", "@!"});
    unarj::Options options = unarj::ReadOptions(cmd);
    if (cmd.archive.empty()) throw Failure(result::kNoArchiveName, "no archive name");
    unarj::Archive archive(cmd.archive);
    if (cmd.command == "t") return unarj::Test(archive, cmd.names, log);
    return unarj::Extract(archive, cmd.names, cmd.folder, options, log);
}

int32_t Check(const char* archive, int32_t mode) {
    return CheckArchiveAnswer(
        archive, mode,
        CheckHeldArchive<unarj::Archive>(
            [](const unarj::Archive& a, OutputLog& log) { return unarj::Test(a, {}, log); }));
}

StandardLibrary& Library() {
    static StandardLibrary library(kVersion, RunUnarj, Check, OpenListing);
    return library;
}

}  // namespace

QV_DEFINE_STANDARD_ENTRY_POINTS(unarj32j, Unarj, Library);
