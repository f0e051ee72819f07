// MS-DOS packed date and time (local time, two-second steps, 1980..2107). Outside that range
// times are clamped to its ends so that no field overflows.
#pragma once
#include <cstdint>

namespace quorvex6::backend {

struct DosDateTime {
    uint16_t date = 0;
    uint16_t time = 0;
};

DosDateTime ToDosDateTime(int64_t unix_seconds);
int64_t FromDosDateTime(DosDateTime dos);  // -1 for an impossible date

}  // namespace quorvex6::backend
