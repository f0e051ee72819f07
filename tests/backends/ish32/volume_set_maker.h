// Multi-volume ISH sets for tests, made as the format lays them out: each volume a whole text
// of its own bytes (sealed with their own CRC), its header carrying the volume number, the
// set's CRCs and the bytes per volume, and a "Part v/n" line after the first line.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codecs/ish/file_info.h"

namespace quorvex6::testing {

struct VolumeSetPlan {
    backend::codecs::ish::FileInfo
        info;  // name, short name, time, variant; size and set fields are made
    uint32_t blocks_per_volume = 1;
    // Changes a volume's header fields before they are written, to make a broken set.
    std::function<void(backend::codecs::ish::FileInfo&)> edit_header;
};

// The bytes one volume of `variant` holds when it fills `blocks` blocks.
uint32_t VolumeBytes(backend::codecs::ish::Variant variant, uint32_t blocks);

// The texts of the volumes of `data`, volume 1 first.
std::vector<std::string> MakeVolumeSet(const VolumeSetPlan& plan, const std::string& data);

}  // namespace quorvex6::testing
