// Extract: the archive, whole or the listed entries, into the target folder.
#include "compose/path_helpers.h"
#include "compose/switch_composition.h"
#include "control/error_reporting.h"
#include "control/module_state.h"
#include "operations/command_pieces.h"
#include "operations/library_call.h"
#include "operations/list_file.h"
#include "operations/operation_scope.h"
#include "quorvex6/control.h"
#include "quorvex6/enums.h"
#include "quorvex6/result_codes.h"

namespace quorvex6 {
namespace {

using archivers::Library;
using namespace operations;

struct ExtractJob {
    std::u16string targetFolder;
    std::u16string listReference;  // "" without a list
};

// The call by kind. Runs trapped.
int32_t ExtractByKind(const ControlState& state, const ExtractJob& job, std::u16string& output) {
    const SwitchSet& options = state.switches;
    const std::u16string qa = Quoted(state.eArcFileName);
    const std::u16string qf = Quoted(job.targetFolder);
    const bool listed = !job.listReference.empty();
    const std::u16string tail = listed ? job.listReference : std::u16string(kAllFiles);
    const std::u16string names = u" " + qa + u" " + qf + u" " + tail;
    switch (Module().CurrentArcMode) {
        case LHA_:
            return CallLibrary(Library::unlha32, "Unlha", u"e -+ " + options.optLhaExtract + names,
                               output);
        case ZIP_:
            return CallLibrary(Library::unzip32, "UnZip", options.optZipExtract + names, output);
        case CAB_:
            if (!FolderExists(job.targetFolder)) return result::kPathMissing;
            return CallLibrary(Library::cab32, "Cab", u"-x " + options.optCabExtract + names,
                               output);
        case ARJ_: {
            const std::u16string verb = state.swFolderName != 0 ? u"x -+" : u"e -+";
            return CallLibrary(Library::unarj32j, "Unarj",
                               verb + u" " + options.optArjExtract + names, output);
        }
        case ISH_:
            if (!FolderExists(job.targetFolder)) return result::kPathMissing;
            return CallIsh(options.optIshExtract + u" " + ShortPathOf(state.eArcFileName) +
                           u" /f=" + ShortPathOf(job.targetFolder));
        case TAR_:
            // Without a list the options are set off by a blank, with one they are not.
            return CallLibrary(Library::tar32, "Tar",
                               (listed ? u" -x" : u" -x ") + options.optTarExtract + u" -f " + qa +
                                   u" " + qf + u" " + tail,
                               output);
        case RAR_: {
            const std::u16string verb = state.swFolderName != 0 ? u"-x" : u"-e";
            return CallLibrary(Library::unrar32, "Unrar",
                               verb + u" " + options.optRarExtract + names, output);
        }
        default:
            return result::kNotSupported;
    }
}

}  // namespace

void Quorvex6::Extract() {
    ControlState& state = *state_;
    state.libraryOutput.clear();
    if (state.eFolder.empty()) return SetError(state, result::kPathMissing);
    if (AnyHoldsQuote({state.eArcFileName, state.eFolder}, EntriesOf(state.eFiles))) {
        return SetError(state, result::kBadArchivePath);
    }
    OperationScope scope;
    ExtractJob job{WithSeparator(state.eFolder), {}};
    // A missing target folder is left for the library to make (CAB and ISH refuse it below).
    if (FolderExists(job.targetFolder)) scope.EnterFolder(job.targetFolder);
    if (!FileExists(state.eArcFileName)) return scope.Finish(state, result::kFileNotFound);
    if (!CheckArchive(state.eArcFileName)) return scope.Finish(state, result::kCannotOpen);
    const std::vector<std::u16string> entries = EntriesOf(state.eFiles);
    if (!entries.empty()) {
        const std::u16string marker = Module().CurrentArcMode == ARJ_ ? u"!" : u"@";
        job.listReference = Quoted(marker + WriteListFile(scope, ListText(entries)));
    }
    ComposeSwitches(state);
    const int32_t code = RunTrapped([&] { return ExtractByKind(state, job, state.libraryOutput); },
                                    result::kTrapped);
    scope.Finish(state, code);
}

}  // namespace quorvex6
