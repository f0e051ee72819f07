// Pack: one command line for the current kind's library, or a started arj or rar, run with the
// base folder as the current directory.
#include "compose/path_helpers.h"
#include "compose/switch_composition.h"
#include "control/error_reporting.h"
#include "control/module_state.h"
#include "operations/command_pieces.h"
#include "operations/library_call.h"
#include "operations/list_file.h"
#include "operations/operation_scope.h"
#include "platform/program_start.h"
#include "quorvex6/control.h"
#include "quorvex6/enums.h"
#include "quorvex6/result_codes.h"

namespace quorvex6 {
namespace {

using archivers::Library;
using namespace operations;

struct PackJob {
    std::u16string baseFolder;
    std::vector<std::u16string> entries;
    std::u16string tail;  // "*.*" or the list reference

    bool IsFolderEntry(const std::u16string& entry) const {
        return FolderExists(baseFolder + entry);
    }

    std::u16string ListText() const {
        std::vector<std::u16string> names;
        for (const auto& entry : entries) {
            if (entry.empty()) continue;
            names.push_back(IsFolderEntry(entry) ? entry + std::u16string(kAllFilesBelow) : entry);
        }
        return operations::ListText(names);
    }

    // The programs take the names on their command line, resolved against the base folder, and
    // all files in their own terms.
    std::u16string InlineList() const {
        if (entries.empty()) return std::u16string(platform::kProgramAllFiles);
        const std::u16string allBelow =
            platform::kFolderSeparator + std::u16string(platform::kProgramAllFiles);
        std::u16string list;
        for (const auto& entry : entries) {
            if (entry.empty()) continue;
            const std::u16string shortPath = ShortPathOf(entry);
            if (IsFolderEntry(entry)) {
                list += QuotedIfBlank(shortPath + allBelow) + u" ";
            } else {
                list += QuotedIfBlank(shortPath) + u" ";
            }
        }
        return list;
    }
};

// The library call or program start by kind; runs trapped.
int32_t PackByKind(ControlState& state, const PackJob& job, std::u16string& output) {
    SwitchSet& options = state.switches;
    const std::u16string& archive = state.pArcFileName;
    const std::u16string qa = Quoted(archive);
    const std::u16string qb = Quoted(job.baseFolder);
    const bool shown = state.swDialog != 0;
    switch (Module().CurrentArcMode) {
        case LHA_:
            return CallLibrary(
                Library::unlha32, "Unlha",
                u"u -+ " + options.optLhaPack + u" " + qa + u" " + qb + u" " + job.tail, output);
        case ZIP_:
            // Updating an existing archive; the prefix stays until the next composition.
            if (state.swCheckTimeStamp != 0 && FileExists(archive)) {
                options.optZipPack = u"-u " + options.optZipPack;
            }
            return CallLibrary(Library::zip32j, "Zip",
                               options.optZipPack + u" " + qa + u" " + qb + u" " + job.tail,
                               output);
        case CAB_:
            return CallLibrary(
                Library::cab32, "Cab",
                u"-a " + options.optCabPack + u" " + qa + u" " + qb + u" " + job.tail, output);
        case ARJ_:
            return StartPacker(std::u16string(platform::kArjProgram) + u" u " + options.optArjPack +
                                   u" " + QuotedIfBlank(archive) + u" " + job.InlineList(),
                               shown);
        case ISH_:
            if (!FolderExists(archive)) return result::kBadArchivePath;
            if (job.entries.size() != 1) return result::kTooManyFiles;
            return CallIsh(u"/s " + ShortPathOf(job.entries.front()) + u" " +
                           TrimBlanks(options.optIshPack) + u" /f=" + ShortPathOf(archive));
        case TAR_:
            return CallLibrary(
                Library::tar32, "Tar",
                u"-c " + options.optTarPack + u" -f " + qa + u" " + qb + u" " + job.tail, output);
        case RAR_: {
            const std::u16string verb = state.swCheckTimeStamp != 0 ? u"u -std" : u"a -std";
            return StartPacker(std::u16string(platform::kRarProgram) + u" " + verb + u" " +
                                   options.optRarPack + u" " + QuotedIfBlank(archive) + u" " +
                                   job.InlineList(),
                               shown);
        }
        default:
            return result::kNotSupported;
    }
}

}  // namespace

void Quorvex6::Pack() {
    ControlState& state = *state_;
    state.libraryOutput.clear();
    if (AnyHoldsQuote({state.pArcFileName, state.pBaseFolder}, EntriesOf(state.pFiles))) {
        return SetError(state, result::kBadArchivePath);
    }
    OperationScope scope;
    PackJob job{WithSeparator(state.pBaseFolder), EntriesOf(state.pFiles), {}};
    // An empty base folder would make the root the folder packed from.
    if (state.pBaseFolder.empty() || !FolderExists(job.baseFolder)) {
        return scope.Finish(state, result::kPathMissing);
    }
    scope.EnterFolder(job.baseFolder);
    if (!FolderExists(FolderOf(state.pArcFileName))) {
        return scope.Finish(state, result::kBadArchivePath);
    }
    const int32_t kind = Module().CurrentArcMode;
    if (job.entries.empty()) {
        job.tail = std::u16string(kAllFiles);
    } else if (kind != ARJ_ && kind != RAR_) {
        job.tail = Quoted(u"@" + WriteListFile(scope, job.ListText()));
    }
    ComposeSwitches(state);
    const int32_t code =
        RunTrapped([&] { return PackByKind(state, job, state.libraryOutput); }, result::kTrapped);
    scope.Finish(state, code);
}

}  // namespace quorvex6
