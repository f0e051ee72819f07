// Each option string is a table of pieces, one row per switch in the order the pieces are added,
// so the tables read like the option syntax they encode. Leading blanks are part of each piece.
#include "compose/switch_composition.h"

#include <span>
#include <string_view>

namespace quorvex6 {
namespace {

using Flag = int16_t ControlState::*;

// A row either replaces the string (sets) or appends to it; `on` or `off` by the switch.
struct Piece {
    Flag flag;
    bool sets;
    std::u16string_view on;
    std::u16string_view off;
};

struct OptionString {
    std::u16string SwitchSet::*member;
    std::span<const Piece> pieces;
};

constexpr Flag kUnderFolder = &ControlState::swUnderFolder;
constexpr Flag kFolderName = &ControlState::swFolderName;
constexpr Flag kCheckTimeStamp = &ControlState::swCheckTimeStamp;
constexpr Flag kAttribute = &ControlState::swAttribute;
constexpr Flag kDiskSpace = &ControlState::swDiskSpace;
constexpr Flag kDialog = &ControlState::swDialog;
constexpr Flag kGaugeProgress = &ControlState::swGaugeProgress;

constexpr bool kSets = true;
constexpr bool kAppends = false;

constexpr Piece kLhaPack[] = {
    {kUnderFolder, kSets, u"-r2", u"-r0"},     {kFolderName, kAppends, u" -x1", u" -x0"},
    {kCheckTimeStamp, kAppends, u"", u" -c1"}, {kAttribute, kAppends, u" -a1", u" -a0"},
    {kDiskSpace, kAppends, u"", u" -f1"},      {kDialog, kAppends, u"", u" -n"},
    {kGaugeProgress, kAppends, u" -jp1", u""},
};
constexpr Piece kZipPack[] = {
    {kUnderFolder, kAppends, u" -r", u""},
    {kFolderName, kAppends, u" -D", u" -j"},
    {kAttribute, kAppends, u" -S", u""},
    {kDialog, kAppends, u"", u" -q"},
};
constexpr Piece kCabPack[] = {
    {kUnderFolder, kSets, u"-r", u""},
    {kDialog, kAppends, u"", u" -i"},
};
constexpr Piece kArjPack[] = {
    {kUnderFolder, kSets, u"-r", u""},
    {kFolderName, kAppends, u"", u" -e"},
    {kCheckTimeStamp, kAppends, u"", u" -c"},
    {kAttribute, kAppends, u" -a", u""},
};
constexpr Piece kTarPack[] = {
    {kFolderName, kAppends, u"", u" --use-directory=0"},
    {kAttribute, kAppends, u" -AH", u" -AA"},
    {kDialog, kAppends, u"", u" --display-dialog=0"},
};
constexpr Piece kRarPack[] = {
    {kUnderFolder, kAppends, u" -r", u""},
    {kFolderName, kAppends, u"", u" -ep"},
    {kAttribute, kAppends, u"", u" -es -eh"},
};

constexpr Piece kLhaExtract[] = {
    {kFolderName, kSets, u"-x1", u"-x0"},     {kCheckTimeStamp, kAppends, u"", u" -c1"},
    {kAttribute, kAppends, u" -a1", u" -a0"}, {kDiskSpace, kAppends, u"", u" -f1"},
    {kDialog, kAppends, u"", u" -n"},         {kGaugeProgress, kAppends, u" -jp1", u""},
};
// The ZIP base ("-u" or "-x") is set before the other extract switches are applied.
constexpr Piece kZipExtract[] = {
    {kCheckTimeStamp, kSets, u"-u", u"-x"},
    {kFolderName, kAppends, u"", u" -j"},
    {kDialog, kAppends, u"", u" --i"},
};
constexpr Piece kCabExtract[] = {
    {kFolderName, kSets, u"", u"-j"},
    {kCheckTimeStamp, kAppends, u" -n", u""},
    {kDialog, kAppends, u"", u" -i"},
};
constexpr Piece kArjExtract[] = {
    {kCheckTimeStamp, kAppends, u" -u", u""},
    {kAttribute, kAppends, u"", u" -a"},
    {kDialog, kAppends, u"", u" -i"},
    {kGaugeProgress, kAppends, u" -hp1", u""},
};
constexpr Piece kIshExtract[] = {
    {kCheckTimeStamp, kAppends, u" /r", u" /a"},
};
constexpr Piece kTarExtract[] = {
    {kFolderName, kSets, u"", u" --use-directory=0"},
    {kAttribute, kAppends, u"", u" -I"},
    {kDialog, kAppends, u"", u" --display-dialog=0"},
};
constexpr Piece kRarExtract[] = {
    {kCheckTimeStamp, kAppends, u" -u", u""},
};

const OptionString kPackStrings[] = {
    {&SwitchSet::optLhaPack, kLhaPack}, {&SwitchSet::optZipPack, kZipPack},
    {&SwitchSet::optCabPack, kCabPack}, {&SwitchSet::optArjPack, kArjPack},
    {&SwitchSet::optIshPack, {}},       {&SwitchSet::optTarPack, kTarPack},
    {&SwitchSet::optRarPack, kRarPack},
};
const OptionString kExtractStrings[] = {
    {&SwitchSet::optLhaExtract, kLhaExtract}, {&SwitchSet::optZipExtract, kZipExtract},
    {&SwitchSet::optCabExtract, kCabExtract}, {&SwitchSet::optArjExtract, kArjExtract},
    {&SwitchSet::optIshExtract, kIshExtract}, {&SwitchSet::optTarExtract, kTarExtract},
    {&SwitchSet::optRarExtract, kRarExtract},
};

// Compression choices, indexed by the enumeration's value.
constexpr std::u16string_view kLhaMethods[] = {u" -jm0", u" -jm1", u" -jm2", u" -jm3", u" -jm4"};
constexpr std::u16string_view kIshCodes[] = {u" /s", u" /ss", u" /s7", u" /sn"};

struct CabMethod {
    std::u16string_view text;
    int16_t ControlState::*level;  // the window or level written after ":", if any
};
constexpr CabMethod kCabMethods[] = {
    {u" -mz", nullptr},
    {u" -ml:", &ControlState::LevelLZX},
    {u" -mq:", &ControlState::LevelQUANTUM},
    {u" -ms", nullptr},
};

constexpr std::u16string_view kSfxTypes[] = {u"-x0", u"-x1", u"-jw", u"-jw3", u"-gw", u"-gw3"};

// The host's language tests booleans by zero: True is -1, but any nonzero value counts as on.
bool IsOn(const ControlState& state, Flag flag) { return state.*flag != 0; }

void Apply(const ControlState& state, std::u16string& text, std::span<const Piece> pieces) {
    for (const Piece& piece : pieces) {
        const std::u16string_view chosen = IsOn(state, piece.flag) ? piece.on : piece.off;
        if (piece.sets) {
            text.assign(chosen);
        } else {
            text.append(chosen);
        }
    }
}

void AppendNumber(std::u16string& text, int64_t value) {
    const std::string digits = std::to_string(value);
    text.append(digits.begin(), digits.end());
}

template <size_t N>
const std::u16string_view* Choice(const std::u16string_view (&table)[N], int32_t value) {
    return value >= 0 && static_cast<size_t>(value) < N ? &table[value] : nullptr;
}

void AppendCabMethod(const ControlState& state, std::u16string& text) {
    const int32_t value = state.pTypeOfCab;
    if (value < 0 || static_cast<size_t>(value) >= std::size(kCabMethods)) return;
    const CabMethod& method = kCabMethods[value];
    text.append(method.text);
    if (method.level != nullptr) AppendNumber(text, state.*method.level);
}

}  // namespace

void ComposeSwitches(ControlState& state) {
    SwitchSet& set = state.switches;
    // clear() keeps each string's storage, so a composition after the first allocates nothing.
    for (const OptionString& option : kPackStrings) {
        std::u16string& text = set.*option.member;
        text.clear();
        Apply(state, text, option.pieces);
    }
    if (state.cabMultiVolume != 0) {
        set.optCabPack.append(u" -v:");
        AppendNumber(set.optCabPack, state.cabMultiVolume);
    }
    for (const OptionString& option : kExtractStrings) {
        std::u16string& text = set.*option.member;
        text.clear();
        Apply(state, text, option.pieces);
    }
    if (!state.swCommand.empty()) {
        for (const auto* strings : {&kPackStrings, &kExtractStrings}) {
            for (const OptionString& option : *strings) {
                std::u16string& text = set.*option.member;
                text.push_back(u' ');
                text.append(state.swCommand);
            }
        }
    }
    if (const auto* method = Choice(kLhaMethods, state.pTypeOfArc)) set.optLhaPack.append(*method);
    AppendCabMethod(state, set.optCabPack);
    if (const auto* code = Choice(kIshCodes, state.pTypeOfIsh)) set.optIshPack.append(*code);

    // A type outside the enumeration has no base text; starting from empty keeps sfxCommand
    // from piling up across compositions.
    const auto* sfx = Choice(kSfxTypes, state.sfxType);
    set.optSfx.assign(sfx != nullptr ? *sfx : std::u16string_view{});
    if (!state.sfxCommand.empty()) {
        set.optSfx.push_back(u' ');
        set.optSfx.append(state.sfxCommand);
    }
}

}  // namespace quorvex6
