#include "common/progress.h"

#include <cstdio>
#include <string>

#include "common/system.h"

namespace quorvex6::backend {

Progress::Progress(bool wanted) : active_(wanted && StandardErrorIsTerminal()) {}

Progress::~Progress() {
    if (printed_) std::fputc('\n', stderr);
}

void Progress::Entry(std::string_view verb, std::string_view name, uint64_t index, uint64_t total) {
    if (!active_) return;
    std::string shown(name.size() > 60 ? name.substr(name.size() - 60) : name);
    if (total > 0)
        std::fprintf(stderr, "\r\033[K%.*s %llu/%llu %s", static_cast<int>(verb.size()),
                     verb.data(), static_cast<unsigned long long>(index),
                     static_cast<unsigned long long>(total), shown.c_str());
    else
        std::fprintf(stderr, "\r\033[K%.*s %s", static_cast<int>(verb.size()), verb.data(),
                     shown.c_str());
    std::fflush(stderr);
    printed_ = true;
}

}  // namespace quorvex6::backend
