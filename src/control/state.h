// The control's state record: one per instance.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quorvex6/container_site.h"

namespace quorvex6 {

// A file list: unallocated until the first add or clear; entries 0 .. count-1 are its contents.
struct FileList {
    std::optional<std::vector<std::u16string>> entries;
    int16_t count = 0;
};

// The option strings rebuilt by each composition; never properties, never persisted.
struct SwitchSet {
    std::u16string optLhaExtract, optLhaPack, optSfx, optZipExtract, optZipPack, optCabExtract,
        optCabPack, optArjExtract, optArjPack, optIshExtract, optIshPack, optTarExtract, optTarPack,
        optRarExtract, optRarPack;
};

struct ControlState {
    SwitchSet switches;
    int16_t LevelLZX = 0;
    int16_t LevelQUANTUM = 0;
    int32_t cabMultiVolume = 0;
    int32_t ArcMode = 0;
    std::u16string pArcFileName;
    FileList pFiles;
    std::u16string pBaseFolder;
    int32_t pTypeOfArc = 0;
    int32_t pTypeOfCab = 0;
    int32_t pTypeOfIsh = 0;
    std::u16string eArcFileName;
    std::u16string eFolder;
    FileList eFiles;
    int32_t sfxType = 0;
    std::u16string sfxCommand;
    std::u16string sfxArcFileName;
    std::u16string sfxFolder;
    std::u16string swCommand;
    int16_t swUnderFolder = 0;
    int16_t swFolderName = 0;
    int16_t swAttribute = 0;
    int16_t swCheckTimeStamp = 0;
    int16_t swDiskSpace = 0;
    int16_t swDialog = 0;
    int16_t swGaugeProgress = 0;
    int32_t Error = 0;
    std::u16string Errorstring;
    std::u16string oBaseFolder;
    std::u16string oArcFileName;
    int16_t oFilesCount = 0;
    // What the library left in its output buffer during the last operation; see LibraryOutput.
    std::u16string libraryOutput;

    // The face the container shows.
    bool imageVisible = true;
    bool borderFixedSingle = true;

    ContainerSite* site = nullptr;
};

// The values of a newly placed control (also the persistence defaults).
void ApplyNewControlValues(ControlState& state);

}  // namespace quorvex6
