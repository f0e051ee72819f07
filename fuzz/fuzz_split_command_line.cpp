// The control splits the command lines it starts programs with; their names come from the host.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    size_t total = 0;
    for (const auto& word : quorvex6::platform::SplitCommandLine(line)) total += word.size();
    // Splitting only removes blanks, quotes and escaping backslashes.
    if (total > line.size()) std::abort();
    return 0;
}
