// State shared by every control instance on one host thread; last writer wins.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvex6 {

struct ListingEntry {
    std::u16string FileName, Path, OrgSize, PackedSize, Ratio, Date, Time, Attr, Type, CRC;
};

struct ModuleState {
    int32_t CurrentArcMode = 0;
    int32_t OwnerWindow = 0;
    std::optional<std::vector<ListingEntry>>
        ListingArrays;  // undimensioned before the first listing
    std::u16string TrappedErrorText;
};

ModuleState& Module();

}  // namespace quorvex6
