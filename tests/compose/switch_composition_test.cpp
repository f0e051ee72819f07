#include "compose/switch_composition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "quorvex6/enums.h"
#include "support/test_support.h"

namespace quorvex6 {
namespace {

using testing::U8;

// Compression choices outside their enumerations, so that only the switches show.
ControlState Neutral() {
    ControlState state;
    state.pTypeOfArc = 7;
    state.pTypeOfCab = 9;
    state.pTypeOfIsh = 9;
    state.sfxType = WinSFX;
    state.LevelLZX = 15;
    state.LevelQUANTUM = 1;
    return state;
}

constexpr int16_t ControlState::*kSwitches[] = {
    &ControlState::swUnderFolder,   &ControlState::swFolderName, &ControlState::swCheckTimeStamp,
    &ControlState::swAttribute,     &ControlState::swDiskSpace,  &ControlState::swDialog,
    &ControlState::swGaugeProgress,
};

void SetAll(ControlState& state, int16_t value) {
    for (auto flag : kSwitches) state.*flag = value;
}

struct StringRow {
    const char* name;
    std::u16string SwitchSet::*member;
    // All off; each switch alone on (UnderFolder, FolderName, CheckTimeStamp, Attribute,
    // DiskSpace, Dialog, GaugeProgress); all on.
    std::array<std::u16string, 9> expected;
};

const StringRow kRows[] = {
    {"optLhaPack",
     &SwitchSet::optLhaPack,
     {u"-r0 -x0 -c1 -a0 -f1 -n", u"-r2 -x0 -c1 -a0 -f1 -n", u"-r0 -x1 -c1 -a0 -f1 -n",
      u"-r0 -x0 -a0 -f1 -n", u"-r0 -x0 -c1 -a1 -f1 -n", u"-r0 -x0 -c1 -a0 -n",
      u"-r0 -x0 -c1 -a0 -f1", u"-r0 -x0 -c1 -a0 -f1 -n -jp1", u"-r2 -x1 -a1 -jp1"}},
    {"optZipPack",
     &SwitchSet::optZipPack,
     {u" -j -q", u" -r -j -q", u" -D -q", u" -j -q", u" -j -S -q", u" -j -q", u" -j", u" -j -q",
      u" -r -D -S"}},
    {"optCabPack",
     &SwitchSet::optCabPack,
     {u" -i", u"-r -i", u" -i", u" -i", u" -i", u" -i", u"", u" -i", u"-r"}},
    {"optArjPack",
     &SwitchSet::optArjPack,
     {u" -e -c", u"-r -e -c", u" -c", u" -e", u" -e -c -a", u" -e -c", u" -e -c", u" -e -c",
      u"-r -a"}},
    {"optIshPack", &SwitchSet::optIshPack, {u"", u"", u"", u"", u"", u"", u"", u"", u""}},
    {"optTarPack",
     &SwitchSet::optTarPack,
     {u" --use-directory=0 -AA --display-dialog=0", u" --use-directory=0 -AA --display-dialog=0",
      u" -AA --display-dialog=0", u" --use-directory=0 -AA --display-dialog=0",
      u" --use-directory=0 -AH --display-dialog=0", u" --use-directory=0 -AA --display-dialog=0",
      u" --use-directory=0 -AA", u" --use-directory=0 -AA --display-dialog=0", u" -AH"}},
    {"optRarPack",
     &SwitchSet::optRarPack,
     {u" -ep -es -eh", u" -r -ep -es -eh", u" -es -eh", u" -ep -es -eh", u" -ep", u" -ep -es -eh",
      u" -ep -es -eh", u" -ep -es -eh", u" -r"}},
    {"optLhaExtract",
     &SwitchSet::optLhaExtract,
     {u"-x0 -c1 -a0 -f1 -n", u"-x0 -c1 -a0 -f1 -n", u"-x1 -c1 -a0 -f1 -n", u"-x0 -a0 -f1 -n",
      u"-x0 -c1 -a1 -f1 -n", u"-x0 -c1 -a0 -n", u"-x0 -c1 -a0 -f1", u"-x0 -c1 -a0 -f1 -n -jp1",
      u"-x1 -a1 -jp1"}},
    {"optZipExtract",
     &SwitchSet::optZipExtract,
     {u"-x -j --i", u"-x -j --i", u"-x --i", u"-u -j --i", u"-x -j --i", u"-x -j --i", u"-x -j",
      u"-x -j --i", u"-u"}},
    {"optCabExtract",
     &SwitchSet::optCabExtract,
     {u"-j -i", u"-j -i", u" -i", u"-j -n -i", u"-j -i", u"-j -i", u"-j", u"-j -i", u" -n"}},
    {"optArjExtract",
     &SwitchSet::optArjExtract,
     {u" -a -i", u" -a -i", u" -a -i", u" -u -a -i", u" -i", u" -a -i", u" -a", u" -a -i -hp1",
      u" -u -hp1"}},
    {"optIshExtract",
     &SwitchSet::optIshExtract,
     {u" /a", u" /a", u" /a", u" /r", u" /a", u" /a", u" /a", u" /a", u" /r"}},
    {"optTarExtract",
     &SwitchSet::optTarExtract,
     {u" --use-directory=0 -I --display-dialog=0", u" --use-directory=0 -I --display-dialog=0",
      u" -I --display-dialog=0", u" --use-directory=0 -I --display-dialog=0",
      u" --use-directory=0 --display-dialog=0", u" --use-directory=0 -I --display-dialog=0",
      u" --use-directory=0 -I", u" --use-directory=0 -I --display-dialog=0", u""}},
    {"optRarExtract",
     &SwitchSet::optRarExtract,
     {u"", u"", u"", u" -u", u"", u"", u"", u"", u" -u"}},
    {"optSfx",
     &SwitchSet::optSfx,
     {u"-jw", u"-jw", u"-jw", u"-jw", u"-jw", u"-jw", u"-jw", u"-jw", u"-jw"}},
};

// The state of column `column` of kRows, with `on` as the value of a switch that is on.
ControlState ColumnState(size_t column, int16_t on) {
    ControlState state = Neutral();
    if (column == 8) SetAll(state, on);
    if (column >= 1 && column <= 7) state.*kSwitches[column - 1] = on;
    return state;
}

TEST(ComposeSwitches, EachSwitchOnAndOffInEveryString) {
    // Any nonzero value is on, not only True.
    for (const int16_t on : {kTrue, int16_t{1}}) {
        for (size_t column = 0; column < 9; ++column) {
            ControlState state = ColumnState(column, on);
            ComposeSwitches(state);
            for (const auto& row : kRows) {
                EXPECT_EQ(U8(state.switches.*row.member), U8(row.expected[column]))
                    << row.name << ", column " << column << ", on = " << on;
            }
        }
    }
}

TEST(ComposeSwitches, KnownCompositions) {
    struct Example {
        const char* what;
        void (*setUp)(ControlState&);
        std::u16string SwitchSet::*member;
        std::u16string expected;
    };
    const Example examples[] = {
        {"Lh5, all off", [](ControlState& s) { s.pTypeOfArc = Lh5; }, &SwitchSet::optLhaPack,
         u"-r0 -x0 -c1 -a0 -f1 -n -jm2"},
        {"Lh5, all on",
         [](ControlState& s) {
             s.pTypeOfArc = Lh5;
             SetAll(s, kTrue);
         },
         &SwitchSet::optLhaPack, u"-r2 -x1 -a1 -jp1 -jm2"},
        {"cabinet LZX",
         [](ControlState& s) {
             s.swUnderFolder = s.swDialog = kTrue;
             s.cabMultiVolume = 1440;
             s.pTypeOfCab = LZX;
             s.LevelLZX = 21;
         },
         &SwitchSet::optCabPack, u"-r -v:1440 -ml:21"},
        {"cabinet MSZIP", [](ControlState& s) { s.pTypeOfCab = MSZIP; }, &SwitchSet::optCabPack,
         u" -i -mz"},
        {"zip extract with command",
         [](ControlState& s) {
             s.swCheckTimeStamp = kTrue;
             s.swCommand = u"-o";
         },
         &SwitchSet::optZipExtract, u"-u -j --i -o"},
        {"rar extract with command",
         [](ControlState& s) {
             s.swCheckTimeStamp = kTrue;
             s.swCommand = u"-o";
         },
         &SwitchSet::optRarExtract, u" -u -o"},
        {"self-extractor",
         [](ControlState& s) {
             s.sfxType = WinSFX32;
             s.sfxCommand = u"-o";
         },
         &SwitchSet::optSfx, u"-gw -o"},
        {"DOS large self-extractor", [](ControlState& s) { s.sfxType = DOS_SFX_Large; },
         &SwitchSet::optSfx, u"-x0"},
    };
    for (const auto& example : examples) {
        ControlState state = Neutral();
        example.setUp(state);
        ComposeSwitches(state);
        EXPECT_EQ(U8(state.switches.*example.member), U8(example.expected)) << example.what;
    }
}

TEST(ComposeSwitches, FreeTextGoesToEveryPackAndExtractStringBeforeTheCompressionChoice) {
    ControlState state = Neutral();
    state.swCommand = u"  ";  // blanks only still count as text, appended untrimmed
    state.pTypeOfArc = Lh7;
    state.pTypeOfCab = NOCOMPRESS;
    state.pTypeOfIsh = JIS7;
    state.sfxCommand = u"";
    ComposeSwitches(state);
    for (const auto& row : kRows) {
        std::u16string expected = row.expected[0];
        if (row.member == &SwitchSet::optSfx) {
            EXPECT_EQ(U8(state.switches.optSfx), "-jw");
            continue;
        }
        expected += u"   ";
        if (row.member == &SwitchSet::optLhaPack) expected += u" -jm4";
        if (row.member == &SwitchSet::optCabPack) expected += u" -ms";
        if (row.member == &SwitchSet::optIshPack) expected += u" /s7";
        EXPECT_EQ(U8(state.switches.*row.member), U8(expected)) << row.name;
    }
}

TEST(ComposeSwitches, CompressionChoices) {
    struct Case {
        int32_t ControlState::*property;
        int32_t value;
        std::u16string SwitchSet::*member;
        std::u16string suffix;  // after the all-off text
    };
    const Case cases[] = {
        {&ControlState::pTypeOfArc, Lh0, &SwitchSet::optLhaPack, u" -jm0"},
        {&ControlState::pTypeOfArc, Lh1, &SwitchSet::optLhaPack, u" -jm1"},
        {&ControlState::pTypeOfArc, Lh5, &SwitchSet::optLhaPack, u" -jm2"},
        {&ControlState::pTypeOfArc, Lh6, &SwitchSet::optLhaPack, u" -jm3"},
        {&ControlState::pTypeOfArc, Lh7, &SwitchSet::optLhaPack, u" -jm4"},
        {&ControlState::pTypeOfArc, 5, &SwitchSet::optLhaPack, u""},
        {&ControlState::pTypeOfArc, -1, &SwitchSet::optLhaPack, u""},
        // The levels are those of the setter's ranges; each shows only with its own method.
        {&ControlState::pTypeOfCab, MSZIP, &SwitchSet::optCabPack, u" -mz"},
        {&ControlState::pTypeOfCab, LZX, &SwitchSet::optCabPack, u" -ml:18"},
        {&ControlState::pTypeOfCab, QUANTUM, &SwitchSet::optCabPack, u" -mq:6"},
        {&ControlState::pTypeOfCab, NOCOMPRESS, &SwitchSet::optCabPack, u" -ms"},
        {&ControlState::pTypeOfCab, 4, &SwitchSet::optCabPack, u""},
        {&ControlState::pTypeOfCab, -1, &SwitchSet::optCabPack, u""},
        {&ControlState::pTypeOfIsh, JIS8, &SwitchSet::optIshPack, u" /s"},
        {&ControlState::pTypeOfIsh, Shift_JIS, &SwitchSet::optIshPack, u" /ss"},
        {&ControlState::pTypeOfIsh, JIS7, &SwitchSet::optIshPack, u" /s7"},
        {&ControlState::pTypeOfIsh, Shift_JIS_non_kana, &SwitchSet::optIshPack, u" /sn"},
        {&ControlState::pTypeOfIsh, 4, &SwitchSet::optIshPack, u""},
    };
    for (const auto& c : cases) {
        ControlState state = Neutral();
        state.LevelLZX = 18;
        state.LevelQUANTUM = 6;
        state.*c.property = c.value;
        ComposeSwitches(state);
        const auto row = std::find_if(std::begin(kRows), std::end(kRows),
                                      [&](const StringRow& r) { return r.member == c.member; });
        EXPECT_EQ(U8(state.switches.*c.member), U8(row->expected[0] + c.suffix))
            << row->name << " = " << c.value;
        // No other string sees a compression choice.
        for (const auto& other : kRows) {
            if (other.member != c.member) {
                EXPECT_EQ(U8(state.switches.*other.member), U8(other.expected[0])) << other.name;
            }
        }
    }
}

TEST(ComposeSwitches, MultiVolumeOnlyWhenNonzero) {
    for (const int32_t volume : {0, 1, 1440, 2147483647}) {
        ControlState state = Neutral();
        state.cabMultiVolume = volume;
        state.swCommand = u"-z";
        ComposeSwitches(state);
        const std::u16string piece =
            volume == 0 ? u"" : u" -v:" + testing::U16(std::to_string(volume));
        EXPECT_EQ(U8(state.switches.optCabPack), U8(u" -i" + piece + u" -z"));
        // Extraction is left as it is.
        EXPECT_EQ(U8(state.switches.optCabExtract), "-j -i -z");
    }
}

TEST(ComposeSwitches, SelfExtractorTypes) {
    const std::pair<int32_t, std::u16string> types[] = {
        {DOS_SFX_Large, u"-x0"}, {DOS_SFX_Small, u"-x1"}, {WinSFX, u"-jw"}, {WinSFXM, u"-jw3"},
        {WinSFX32, u"-gw"},      {WinSFX32M, u"-gw3"},    {6, u""},         {-1, u""},
    };
    for (const auto& [type, base] : types) {
        for (const std::u16string command : {u"", u"-o", u" "}) {
            ControlState state = Neutral();
            state.sfxType = type;
            state.sfxCommand = command;
            state.swCommand = u"-never";
            SetAll(state, kTrue);
            const std::u16string expected = command.empty() ? base : base + u" " + command;
            // Composing again must not add the free text a second time.
            for (int round = 0; round < 3; ++round) {
                ComposeSwitches(state);
                EXPECT_EQ(U8(state.switches.optSfx), U8(expected))
                    << "type " << type << ", round " << round;
            }
        }
    }
}

TEST(ComposeSwitches, NothingAccumulatesAcrossCompositions) {
    ControlState state = Neutral();
    SetAll(state, kTrue);
    state.swCommand = u"-first";
    state.cabMultiVolume = 720;
    state.pTypeOfArc = Lh1;
    state.pTypeOfCab = QUANTUM;
    state.pTypeOfIsh = JIS8;
    state.sfxCommand = u"-s";
    state.switches.optZipPack = u"-u " + state.switches.optZipPack;  // as Pack adjusts it
    ComposeSwitches(state);
    ComposeSwitches(state);

    ControlState second = Neutral();
    state.swCommand.clear();
    state.cabMultiVolume = 0;
    state.sfxCommand.clear();
    for (auto flag : kSwitches) state.*flag = second.*flag;
    state.pTypeOfArc = second.pTypeOfArc;
    state.pTypeOfCab = second.pTypeOfCab;
    state.pTypeOfIsh = second.pTypeOfIsh;
    ComposeSwitches(state);
    for (const auto& row : kRows) {
        EXPECT_EQ(U8(state.switches.*row.member), U8(row.expected[0])) << row.name;
    }
}

}  // namespace
}  // namespace quorvex6
