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

std::u16string BaseFolder(const Arguments& args) {
    if (const auto base = args.Value(kBase.name)) return AbsoluteName(*base);
    return CurrentFolder();
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
    std::vector<const OptionRule*> options = {&kBase, &kKindOption};
    for (const OptionRule* rule : SwitchOptionRules(kForPack)) options.push_back(rule);
    options.insert(options.end(), {&kPropsOption, &kSavePropsOption, &kHelpOption});
    return options;
}

int RunPack(const Arguments& args) {
    const std::string& archive = ArchiveOperand(args, true);
    MessageCapture capture;
    auto control = PrepareControl(args, archive);
    if (control->get_ArcMode() == quorvex6::ISH_) CheckIsh(args, archive);
    control->put_pArcFileName(AbsoluteName(archive));
    control->put_pBaseFolder(BaseFolder(args));
    control->pFilesClear();
    for (size_t i = 1; i < args.operands().size(); ++i) {
        control->pAddFile(ControlText(args.operands()[i], args.operands()[i]));
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
