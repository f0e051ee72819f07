// One command call of an archiver library as the operations make it: the owner window, the
// command line and an output buffer, whose text the control keeps for its host.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "archivers/library_table.h"

namespace quorvex6::operations {

inline constexpr uint32_t kOutputBufferSize = 20800;

// Binds entry of library (a failure to bind throws TrappedFailure) and calls it; output gets
// the text the library wrote, up to its terminating NUL, without a line cut short where a full
// buffer ended.
int32_t CallLibrary(archivers::Library library, std::string_view entry,
                    const std::u16string& commandLine, std::u16string& output);
// ish32 takes no output buffer.
int32_t CallIsh(const std::u16string& commandLine);

// Starts arj or rar without waiting: 0 when a task identifier came back, else 65535. A program
// that cannot be found throws.
int32_t StartPacker(const std::u16string& commandLine, bool shown);

}  // namespace quorvex6::operations
