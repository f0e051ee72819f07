#include <array>

#include "command_support.h"
#include "commands.h"
#include "quorvex6/enums.h"
#include "reporting.h"
#include "usage_error.h"

namespace quorvex::cli {
namespace {

const OptionRule kTo{"--to", "DIR", "write the program into DIR (default: the archive's folder)"};
const OptionRule kType{"--type", "T", "win16 (default) win16m win32 win32m dos-large dos-small"};
const OptionRule kCommandText{"--command", "TEXT", "extra text for the self-extractor's creation"};

struct SfxType {
    std::string_view word;
    int32_t value;
};
constexpr std::array kSfxTypes = {
    SfxType{"dos-large", quorvex6::DOS_SFX_Large},
    SfxType{"dos-small", quorvex6::DOS_SFX_Small},
    SfxType{"win16", quorvex6::WinSFX},
    SfxType{"win16m", quorvex6::WinSFXM},
    SfxType{"win32", quorvex6::WinSFX32},
    SfxType{"win32m", quorvex6::WinSFX32M},
};

int32_t SfxTypeNamed(const std::string& word) {
    for (const SfxType& type : kSfxTypes) {
        if (type.word == word) return type.value;
    }
    throw UsageError("--type takes dos-large, dos-small, win16, win16m, win32 or win32m");
}

}  // namespace

std::vector<const OptionRule*> SfxOptions() {
    return {&kTo,        &kType, &kCommandText, &kKindOption, &kPropsOption, &kSavePropsOption,
            &kHelpOption};
}

int RunSfx(const Arguments& args) {
    const std::string& archive = ArchiveOperand(args, false);
    MessageCapture capture;
    auto control = PrepareControl(args, archive);
    control->put_sfxArcFileName(CommandPath(archive));
    if (const auto to = args.Value(kTo.name)) control->put_sfxFolder(CommandPath(*to));
    if (const auto type = args.Value(kType.name)) control->put_sfxType(SfxTypeNamed(*type));
    if (const auto text = args.Value(kCommandText.name)) {
        control->put_sfxCommand(ControlText(*text, "--command"));
    }
    control->SFX();
    return SaveRequestedSettings(*control, args, FinishOperation(*control, capture));
}

}  // namespace quorvex::cli
