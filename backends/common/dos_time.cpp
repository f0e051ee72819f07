#include "common/dos_time.h"

#include "common/system.h"

namespace quorvex6::backend {

DosDateTime ToDosDateTime(int64_t unix_seconds) {
    std::tm tm = LocalTime(unix_seconds);
    int year = tm.tm_year + 1900;
    if (year < 1980) return {static_cast<uint16_t>((1 << 5) | 1), 0};
    if (year > 2107)
        return {static_cast<uint16_t>((127 << 9) | (12 << 5) | 31),
                static_cast<uint16_t>((23 << 11) | (59 << 5) | 29)};
    DosDateTime dos;
    dos.date = static_cast<uint16_t>(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    dos.time = static_cast<uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return dos;
}

int64_t FromDosDateTime(DosDateTime dos) {
    std::tm tm{};
    tm.tm_year = ((dos.date >> 9) & 0x7F) + 80;
    tm.tm_mon = ((dos.date >> 5) & 0x0F) - 1;
    tm.tm_mday = dos.date & 0x1F;
    tm.tm_hour = (dos.time >> 11) & 0x1F;
    tm.tm_min = (dos.time >> 5) & 0x3F;
    tm.tm_sec = (dos.time & 0x1F) * 2;
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday == 0 || tm.tm_hour > 23 || tm.tm_min > 59 ||
        tm.tm_sec > 59)
        return -1;
    return FromLocalTime(tm);
}

}  // namespace quorvex6::backend
