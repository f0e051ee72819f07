#include <signal.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "common/system.h"

namespace quorvex6::backend {

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

unsigned ProcessorCount() {
    unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

std::tm LocalTime(int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

std::optional<uint64_t> FreeBytes(const std::string& folder) {
    struct statvfs fs {};
    if (statvfs(folder.empty() ? "." : folder.c_str(), &fs) != 0) return std::nullopt;
    return static_cast<uint64_t>(fs.f_bavail) * static_cast<uint64_t>(fs.f_frsize);
}

namespace {

struct ZoneRule {
    int64_t offset;  // seconds east of UTC
    bool daylight;
};

ZoneRule ZoneRuleAt(int64_t instant) {
    std::time_t t = static_cast<std::time_t>(instant);
    std::tm local{};
    localtime_r(&t, &local);
    const bool daylight = local.tm_isdst > 0;  // timegm resets it
    return {static_cast<int64_t>(timegm(&local)) - instant, daylight};
}

}  // namespace

// mktime reads the zone file's status on every call, a system call per entry of a large
// archive; localtime_r does not, so the instant is solved for with it. The choices are
// mktime's with tm_isdst -1: a local time that occurs twice is the earlier instant, and one in
// a gap is read with the offset of the side that is not daylight time.
int64_t FromLocalTime(const std::tm& tm) {
    constexpr int64_t kDay = 86400;  // zone changes are further apart than this
    std::tm copy = tm;
    const auto as_utc = static_cast<int64_t>(timegm(&copy));
    if (as_utc == -1) return -1;
    const ZoneRule before = ZoneRuleAt(as_utc - kDay), after = ZoneRuleAt(as_utc + kDay);
    const int64_t early = as_utc - before.offset, late = as_utc - after.offset;
    const bool early_holds = ZoneRuleAt(early).offset == before.offset;
    const bool late_holds = ZoneRuleAt(late).offset == after.offset;
    if (early_holds && late_holds) return std::min(early, late);
    if (early_holds) return early;
    if (late_holds) return late;
    return before.daylight && !after.daylight ? late : early;
}

void IgnoreFileSizeSignal() {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace quorvex6::backend
