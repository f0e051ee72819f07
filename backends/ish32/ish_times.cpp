#include "ish32/ish_times.h"

#include "common/dos_time.h"

namespace quorvex6::backend::ish32 {

namespace {

DosDateTime Split(uint32_t stamp) {
    return {static_cast<uint16_t>(stamp >> 16), static_cast<uint16_t>(stamp & 0xFFFF)};
}

// Seconds since 1970 of a DOS date and time taken as UTC (days from the civil calendar).
int64_t AsUtc(DosDateTime dos) {
    int64_t year = 1980 + (dos.date >> 9);
    const int64_t month = (dos.date >> 5) & 15;
    const int64_t day = dos.date & 31;
    year -= month <= 2 ? 1 : 0;
    const int64_t era = year / 400;
    const int64_t year_of_era = year - era * 400;
    const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    const int64_t days = era * 146097 + day_of_era - 719468;
    return days * 86400 + (dos.time >> 11) * 3600 + ((dos.time >> 5) & 63) * 60 +
           (dos.time & 31) * 2;
}

}  // namespace

void StampTime(int64_t mtime, codecs::ish::FileInfo& info) {
    const DosDateTime dos = ToDosDateTime(mtime);
    info.dos_time = (static_cast<uint32_t>(dos.date) << 16) | dos.time;
    const int64_t local = FromDosDateTime(dos);
    info.zone_west = local < 0 ? 0 : static_cast<int32_t>(local - AsUtc(dos));
}

int64_t HeaderTime(const codecs::ish::FileInfo& info) {
    return FromDosDateTime(Split(info.dos_time));
}

}  // namespace quorvex6::backend::ish32
