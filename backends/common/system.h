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
// For a program of ours: past a file-size limit (ulimit -f) a write then fails and is reported,
// and the command cleans up, instead of the process being ended by SIGXFSZ halfway.
void IgnoreFileSizeSignal();

}  // namespace quorvex6::backend
