// SFX: a self-extracting program made from an existing LHA, ZIP or CAB archive.
#include "compose/path_helpers.h"
#include "compose/switch_composition.h"
#include "control/error_reporting.h"
#include "control/module_state.h"
#include "operations/command_pieces.h"
#include "operations/library_call.h"
#include "operations/operation_scope.h"
#include "quorvex6/control.h"
#include "quorvex6/enums.h"
#include "quorvex6/result_codes.h"

namespace quorvex6 {
namespace {

using archivers::Library;
using namespace operations;

// The call by kind. Runs trapped.
int32_t MakeSelfExtractor(const ControlState& state, const std::u16string& targetFolder,
                          std::u16string& output) {
    const std::u16string names = Quoted(state.sfxArcFileName) + u" " + Quoted(targetFolder);
    switch (Module().CurrentArcMode) {
        case LHA_:
            return CallLibrary(Library::unlha32, "Unlha",
                               u"s " + state.switches.optSfx + u" " + names, output);
        case ZIP_:
            return CallLibrary(Library::zip32j, "Zip", u"--sfx " + names, output);
        case CAB_:
            return CallLibrary(Library::cab32, "Cab", u"-f " + names, output);
        default:
            return result::kNotSupported;
    }
}

}  // namespace

void Quorvex6::SFX() {
    ControlState& state = *state_;
    state.libraryOutput.clear();
    if (AnyHoldsQuote({state.sfxArcFileName, state.sfxFolder}, {})) {
        return SetError(state, result::kBadArchivePath);
    }
    OperationScope scope;
    // The archive's own folder when none is given; it may stay "", the current folder.
    const std::u16string targetFolder =
        WithSeparator(state.sfxFolder.empty() ? FolderOf(state.sfxArcFileName) : state.sfxFolder);
    if (FolderExists(targetFolder)) {
        scope.EnterFolder(targetFolder);
    } else if (Module().CurrentArcMode != ZIP_) {
        return scope.Finish(state, result::kPathMissing);
    }
    if (!FileExists(state.sfxArcFileName)) return scope.Finish(state, result::kFileNotFound);
    if (!CheckArchive(state.sfxArcFileName)) return scope.Finish(state, result::kCannotOpen);
    ComposeSwitches(state);
    const int32_t code =
        RunTrapped([&] { return MakeSelfExtractor(state, targetFolder, state.libraryOutput); },
                   result::kTrapped);
    scope.Finish(state, code);
}

}  // namespace quorvex6
