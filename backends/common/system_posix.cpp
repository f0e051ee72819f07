#include <signal.h>
#include <sys/statvfs.h>
#include <unistd.h>

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

int64_t FromLocalTime(const std::tm& tm) {
    std::tm copy = tm;
    copy.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&copy));
}

void IgnoreFileSizeSignal() {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace quorvex6::backend
