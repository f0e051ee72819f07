#include "switch_options.h"

#include <array>
#include <climits>
#include <string_view>

#include "quorvex6/enums.h"
#include "text.h"
#include "usage_error.h"

namespace quorvex::cli {
namespace {

using quorvex6::Quorvex6;

struct Choice {
    std::string_view word;
    int32_t value;
};

constexpr Choice kLhaMethods[] = {{"lh0", quorvex6::Lh0},
                                  {"lh1", quorvex6::Lh1},
                                  {"lh5", quorvex6::Lh5},
                                  {"lh6", quorvex6::Lh6},
                                  {"lh7", quorvex6::Lh7}};
constexpr Choice kCabMethods[] = {{"mszip", quorvex6::MSZIP},
                                  {"lzx", quorvex6::LZX},
                                  {"quantum", quorvex6::QUANTUM},
                                  {"store", quorvex6::NOCOMPRESS}};
constexpr Choice kIshVariants[] = {{"jis8", quorvex6::JIS8},
                                   {"sjis", quorvex6::Shift_JIS},
                                   {"jis7", quorvex6::JIS7},
                                   {"sjis-nokana", quorvex6::Shift_JIS_non_kana}};

const Choice* Pick(std::span<const Choice> choices, std::string_view word) {
    for (const Choice& choice : choices) {
        if (choice.word == word) return &choice;
    }
    return nullptr;
}

void RequireKind(const Quorvex6& control, int32_t kind, const std::string& what) {
    if (control.get_ArcMode() != kind) throw UsageError(what);
}

void Method(Quorvex6& control, const std::string& value) {
    if (const Choice* lha = Pick(kLhaMethods, value)) {
        RequireKind(control, quorvex6::LHA_, "--method " + value + " is an lha method");
        control.put_pTypeOfArc(lha->value);
    } else if (const Choice* cab = Pick(kCabMethods, value)) {
        RequireKind(control, quorvex6::CAB_, "--method " + value + " is a cab method");
        control.put_pTypeOfCab(cab->value);
    } else {
        throw UsageError(
            "--method takes lh0, lh1, lh5, lh6, lh7 (lha) or mszip, lzx, quantum, store (cab)");
    }
}

void Level(Quorvex6& control, const std::string& value) {
    const auto number = ParseDecimal(value);
    const int32_t method = control.get_pTypeOfCab();
    const bool lzx = method == quorvex6::LZX;
    if (control.get_ArcMode() != quorvex6::CAB_ || (!lzx && method != quorvex6::QUANTUM)) {
        throw UsageError("--level goes with --method lzx or --method quantum");
    }
    const std::string range = lzx ? "15..21" : "1..7";
    if (!number || *number < (lzx ? 15 : 1) || *number > (lzx ? 21 : 7)) {
        throw UsageError("--level " + value + ": " + (lzx ? "lzx" : "quantum") + " takes " + range);
    }
    if (lzx)
        control.put_LevelLZX(static_cast<int16_t>(*number));
    else
        control.put_LevelQUANTUM(static_cast<int16_t>(*number));
}

void Volume(Quorvex6& control, const std::string& value) {
    const auto number = ParseDecimal(value);
    if (!number || *number < 0 || *number > INT32_MAX) {
        throw UsageError("--volume takes a size in kilobytes (0 for one volume)");
    }
    control.put_cabMultiVolume(static_cast<int32_t>(*number));
}

void Ish(Quorvex6& control, const std::string& value) {
    const Choice* variant = Pick(kIshVariants, value);
    if (variant == nullptr) throw UsageError("--ish takes jis8, sjis, jis7 or sjis-nokana");
    control.put_pTypeOfIsh(variant->value);
}

void Switches(Quorvex6& control, const std::string& value) {
    const auto text = FromUtf8(value);
    if (!text) throw UsageError("--switches: the text is not UTF-8");
    control.put_swCommand(*text);
}

constexpr int16_t kOff = quorvex6::kFalse;
constexpr int16_t kOn = quorvex6::kTrue;

void NoTimeCheck(Quorvex6& control, const std::string&) { control.put_swCheckTimeStamp(kOff); }

constexpr uint8_t kBoth = kForPack | kForExtract;

constexpr std::array kSwitchOptions = {
    SwitchOption{{"--no-recurse", "", "do not descend into folders"},
                 kForPack,
                 [](Quorvex6& c, const std::string&) { c.put_swUnderFolder(kOff); }},
    SwitchOption{{"--no-folder-names", "", "store or restore names without their folders"},
                 kBoth,
                 [](Quorvex6& c, const std::string&) { c.put_swFolderName(kOff); }},
    SwitchOption{{"--no-hidden", "", "leave hidden and system files out"},
                 kBoth,
                 [](Quorvex6& c, const std::string&) { c.put_swAttribute(kOff); }},
    SwitchOption{
        {"--no-time-check", "", "replace files whatever their time stamps"}, kForPack, NoTimeCheck},
    // The control gives the tar library no time check to make, so tar replaces newer files.
    SwitchOption{{"--no-time-check", "", "replace newer files too (tar always replaces them)"},
                 kForExtract,
                 NoTimeCheck},
    SwitchOption{{"--no-space-check", "", "skip the free-space check"},
                 kBoth,
                 [](Quorvex6& c, const std::string&) { c.put_swDiskSpace(kOff); }},
    SwitchOption{{"--quiet", "", "no progress display"},
                 kBoth,
                 [](Quorvex6& c, const std::string&) { c.put_swDialog(kOff); }},
    SwitchOption{{"--gauge", "", "show progress as a gauge"},
                 kBoth,
                 [](Quorvex6& c, const std::string&) { c.put_swGaugeProgress(kOn); }},
    SwitchOption{{"--switches", "TEXT", "extra switches for the library, appended as given"},
                 kBoth,
                 Switches},
    SwitchOption{{"--method", "M", "lh0 lh1 lh5 lh6 lh7 (lha); mszip lzx quantum store (cab)"},
                 kForPack,
                 Method},
    SwitchOption{{"--level", "N", "lzx window 15..21 or quantum level 1..7"}, kForPack, Level},
    SwitchOption{
        {"--volume", "KB", "split a cabinet into volumes of KB kilobytes"}, kForPack, Volume},
    SwitchOption{{"--ish", "V", "ish variant: jis8, sjis, jis7 or sjis-nokana"}, kForPack, Ish},
};

}  // namespace

std::span<const SwitchOption> SwitchOptions() { return kSwitchOptions; }

std::vector<const OptionRule*> SwitchOptionRules(Use use) {
    std::vector<const OptionRule*> rules;
    for (const SwitchOption& option : kSwitchOptions) {
        if (option.uses & use) rules.push_back(&option.rule);
    }
    return rules;
}

void ApplySwitches(Quorvex6& control, const Arguments& args, Use use) {
    for (const SwitchOption& option : kSwitchOptions) {
        if (!(option.uses & use)) continue;
        if (const auto value = args.Value(option.rule.name)) {
            option.apply(control, *value);
        }
    }
}

}  // namespace quorvex::cli
