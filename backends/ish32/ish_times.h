// Header times: the DOS date and time of the writer's local clock, and the writer's distance
// from UTC, which restoring does not apply (a restored file shows the time its writer saw).
#pragma once
#include <cstdint>

#include "codecs/ish/file_info.h"

namespace quorvex6::backend::ish32 {

// Sets `info.dos_time` and `info.zone_west` for a file last changed at `mtime` (UTC seconds).
void StampTime(int64_t mtime, codecs::ish::FileInfo& info);

// The header's time read as local time here; -1 for an impossible date.
int64_t HeaderTime(const codecs::ish::FileInfo& info);

}  // namespace quorvex6::backend::ish32
