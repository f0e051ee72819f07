// The few facts about the running system the libraries need; system_posix.cpp implements them.
#pragma once
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace quorvex6::backend {

bool StandardErrorIsTerminal();
unsigned ProcessorCount();
std::tm LocalTime(int64_t seconds);        // broken-down local time
int64_t FromLocalTime(const std::tm& tm);  // -1 when not representable
// Bytes an unprivileged writer may still put into the file system holding `folder`; nullopt
// when that cannot be told (the folder does not exist yet, say).
std::optional<uint64_t> FreeBytes(const std::string& folder);

}  // namespace quorvex6::backend

namespace quorvex6::backend {

// While it lives, this thread's character type is UTF-8 (libraries such as libarchive convert
// names through the current locale, and a host may run in the "C" locale).
class Utf8LocaleScope {
public:
    Utf8LocaleScope();
    ~Utf8LocaleScope();
    Utf8LocaleScope(const Utf8LocaleScope&) = delete;
    Utf8LocaleScope& operator=(const Utf8LocaleScope&) = delete;

private:
    void* locale_ = nullptr;
    void* previous_ = nullptr;
};

}  // namespace quorvex6::backend
