#include <cstdio>

#include "command_support.h"
#include "commands.h"
#include "reporting.h"
#include "switch_options.h"
#include "usage_error.h"

namespace quorvex::cli {
namespace {

const OptionRule kTo{"--to", "DIR", "extract into DIR (default: the current folder)"};

}  // namespace

std::vector<const OptionRule*> ExtractOptions() {
    std::vector<const OptionRule*> options = {&kTo, &kKindOption};
    for (const OptionRule* rule : SwitchOptionRules(kForExtract)) options.push_back(rule);
    options.insert(options.end(), {&kPropsOption, &kSavePropsOption, &kHelpOption});
    return options;
}

int RunExtract(const Arguments& args) {
    const std::string& archive = ArchiveOperand(args, true);
    MessageCapture capture;
    auto control = PrepareControl(args, archive);
    control->put_eArcFileName(CommandPath(archive));
    const auto to = args.Value(kTo.name);
    control->put_eFolder(to ? CommandPath(*to) : CurrentFolder());
    control->eFilesClear();
    for (size_t i = 1; i < args.operands().size(); ++i) {
        control->eAddFile(CommandName(args.operands()[i]));
    }
    ApplySwitches(*control, args, kForExtract);
    // Some libraries refuse a destination that does not exist; every kind gets one made.
    if (to) {
        std::error_code error;
        std::filesystem::create_directories(*to, error);
        if (error) {
            std::fprintf(stderr, "quorvex: cannot make %s: %s\n", to->c_str(),
                         error.message().c_str());
            return kExitFailure;
        }
    }
    control->Extract();
    return SaveRequestedSettings(*control, args, FinishOperation(*control, capture));
}

}  // namespace quorvex::cli
