#include "platform/program_start.h"

#include <windows.h>

#include "platform/codepage.h"
#include "platform/command_line.h"

namespace quorvex6::platform {
namespace {

class SystemStarter final : public ProgramStarter {
  public:
    uint32_t Start(const std::u16string& commandLine, bool shown) override;
};

uint32_t SystemStarter::Start(const std::u16string& commandLine, bool shown) {
    std::string line = ToSystem(commandLine);
    const auto words = SplitCommandLine(line);
    if (words.empty()) throw ProgramNotFound("no program named in an empty command line");
    char found[MAX_PATH];
    if (SearchPathA(nullptr, words.front().c_str(), ".exe", MAX_PATH, found, nullptr) == 0) {
        throw ProgramNotFound("cannot start the program " + words.front() + ": not found");
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = shown ? SW_SHOWNORMAL : SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(found, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
}

}  // namespace

ProgramStarter& SystemProgramStarter() {
    static SystemStarter starter;
    return starter;
}

}  // namespace quorvex6::platform
