#include <cstdio>

#include "command_support.h"
#include "commands.h"
#include "quorvex6/enums.h"
#include "reporting.h"
#include "switch_options.h"
#include "usage_error.h"

namespace quorvex::cli {
namespace {

const OptionRule kBase{"--base", "DIR", "names are relative to DIR (default: the current folder)"};
const OptionRule kReplace{"--replace", "",
                          "tar: replace an existing ARCHIVE (tar cannot add to one)"};

std::u16string BaseFolder(const Arguments& args) {
    if (const auto base = args.Value(kBase.name)) return CommandPath(*base);
    return CurrentFolder();
}

// The tar library only creates archives, so packing into an existing one would lose what it
// holds: that takes the user's word. Other kinds add to an existing archive.
void CheckReplace(const Arguments& args, const std::string& archive, int32_t kind) {
    const bool replace = args.Has(kReplace.name);
    if (kind != quorvex6::TAR_) {
        if (replace) throw UsageError("--replace is for tar; other kinds add to an archive");
        return;
    }
    std::error_code error;
    if (!replace && std::filesystem::exists(archive, error)) {
        throw UsageError(archive + " exists and tar would replace what it holds; give --replace");
    }
}

// The ish library encodes one file into a folder it is given, naming the result itself.
void CheckIsh(const Arguments& args, const std::string& archive) {
    std::error_code error;
    if (!std::filesystem::is_directory(archive, error)) {
        throw UsageError("for ish, ARCHIVE is the existing folder the encoded file goes to");
    }
    if (args.operands().size() != 2) throw UsageError("ish encodes exactly one NAME");
}

}  // namespace

std::vector<const OptionRule*> PackOptions() {
    std::vector<const OptionRule*> options = {&kBase, &kReplace, &kKindOption};
    for (const OptionRule* rule : SwitchOptionRules(kForPack)) options.push_back(rule);
    options.insert(options.end(), {&kPropsOption, &kSavePropsOption, &kHelpOption});
    return options;
}

int RunPack(const Arguments& args) {
    const std::string& archive = ArchiveOperand(args, true);
    MessageCapture capture;
    auto control = PrepareControl(args, archive);
    if (control->get_ArcMode() == quorvex6::ISH_) CheckIsh(args, archive);
    CheckReplace(args, archive, control->get_ArcMode());
    control->put_pArcFileName(CommandPath(archive));
    control->put_pBaseFolder(BaseFolder(args));
    control->pFilesClear();
    for (size_t i = 1; i < args.operands().size(); ++i) {
        control->pAddFile(CommandName(args.operands()[i]));
    }
    ApplySwitches(*control, args, kForPack);
    control->Pack();
    const int status = FinishOperation(*control, capture);
    const int32_t kind = control->get_ArcMode();
    if (status == kExitSuccess && (kind == quorvex6::ARJ_ || kind == quorvex6::RAR_)) {
        // The control starts these programs and does not wait for them.
        std::fprintf(stderr,
                     "quorvex: the %s program was started and packs on its own; its outcome is not "
                     "known here\n",
                     kind == quorvex6::ARJ_ ? "arj" : "rar");
    }
    return SaveRequestedSettings(*control, args, status);
}

}  // namespace quorvex::cli
