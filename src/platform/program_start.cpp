#include "platform/program_start.h"

#include <atomic>

namespace quorvex6::platform {
namespace {

std::atomic<ProgramStarter*> replacement{nullptr};

}  // namespace

void SetProgramStarter(ProgramStarter* starter) { replacement.store(starter); }

uint32_t StartProgram(const std::u16string& commandLine, bool shown) {
    ProgramStarter* const replaced = replacement.load();
    return (replaced != nullptr ? *replaced : SystemProgramStarter()).Start(commandLine, shown);
}

}  // namespace quorvex6::platform
