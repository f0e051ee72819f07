// Command lines and response-file text come from hosts and from files on disk.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/command_line.h"
#include "common/result.h"
#include "common/safe_path.h"
#include "common/wildcard.h"

using namespace quorvex6::backend;

namespace {
constexpr SwitchRule kSwitches[] = {
    {"-r"}, {"-x"}, {"--i"}, {"--use-directory", SwitchArg::kEquals}, {"-jm", SwitchArg::kSuffix}};
constexpr std::string_view kWords[] = {"u", "e", "x"};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        // No response prefix: the fuzzer must not open files its input names.
        ParsedCommand plain = ParseCommand(text, {kSwitches, {}, "-", ""});
        for (const std::string& name : plain.names) {
            MatchPath(name, plain.archive, true);
            MatchWildcard(name, plain.archive);
        }
    } catch (const Failure&) {
    }
    try {
        ParseCommand(text, {kSwitches, kWords, "-/", ""});
    } catch (const Failure&) {
    }
    for (const std::string& name : ParseResponseText(text)) {
        if (auto safe = SafeRelativePath(name)) LinkTargetStaysInside(*safe, name);
    }
    return 0;
}
