// The few facts about the running system the libraries need; system_posix.cpp implements them.
#pragma once
#include <cstdint>
#include <ctime>

namespace quorvex6::backend {

bool StandardErrorIsTerminal();
unsigned ProcessorCount();
std::tm LocalTime(int64_t seconds);        // broken-down local time
int64_t FromLocalTime(const std::tm& tm);  // -1 when not representable

}  // namespace quorvex6::backend
