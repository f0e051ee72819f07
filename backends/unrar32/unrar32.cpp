// libunrar32: Unrar and the enumeration set. Extracts, tests and lists RAR archives, both
// generations, with our own reader.
#include <functional>
#include <memory>
#include <string>

#include "common/check_archive.h"
#include "common/command_line.h"
#include "common/entry_info.h"
#include "common/enumeration.h"
#include "common/fault_codes.h"
#include "common/standard_library.h"
#include "common/volume_inputs.h"
#include "quorvex6/archiver_api.h"
#include "unrar32/archive.h"
#include "unrar32/commands.h"
#include "unrar32/options.h"

using namespace quorvex6::backend;
namespace unrar = quorvex6::backend::unrar32;

namespace {

constexpr uint16_t kVersion = 100;

std::unique_ptr<EntryListing> OpenListing(const std::string& path) {
    auto archive = std::make_unique<unrar::Archive>(path);
    // Read only for a RAR 3.x file's first byte, which tells a PPMd file from an LZ one.
    auto inputs = std::make_shared<VolumeInputs>(archive->volumes());
    return ListHeldEntries(std::move(archive), [inputs](const rar::JoinedEntry& entry) {
        return unrar::FactsOf(entry, std::ref(*inputs));
    });
}

int32_t RunUnrar(const std::string& line, OutputLog& log) {
    ParsedCommand cmd = ParseCommand(line, {unrar::Switches(), {}});
    unrar::Options options = unrar::ReadOptions(cmd);
    if (cmd.archive.empty()) throw Failure(result::kNoArchiveName, "no archive name");
    unrar::Archive archive(cmd.archive);
    if (options.action == unrar::Action::kTest) return unrar::Test(archive, cmd.names, log);
    return unrar::Extract(archive, cmd.names, cmd.folder, options, log);
}

int32_t Check(const char* archive, int32_t mode) {
    return CheckArchiveAnswer(
        archive, mode,
        CheckHeldArchive<unrar::Archive>(
            [](const unrar::Archive& a, OutputLog& log) { return unrar::Test(a, {}, log); }));
}

StandardLibrary& Library() {
    static StandardLibrary library(kVersion, RunUnrar, Check, OpenListing);
    return library;
}

}  // namespace

QV_DEFINE_STANDARD_ENTRY_POINTS(unrar32, Unrar, Library);
