#include "operations/library_call.h"

#include <algorithm>

#include "archivers/bindings.h"
#include "control/module_state.h"
#include "platform/codepage.h"
#include "platform/program_start.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::operations {

using archivers::Shape;

int32_t CallLibrary(archivers::Library library, std::string_view entry,
                    const std::u16string& commandLine, std::u16string& output) {
    const auto call = archivers::Bind<Shape::Command>(library, std::string(entry));
    const int32_t code =
        archivers::CallCommand(call, Module().OwnerWindow, commandLine, kOutputBufferSize, &output);
    output.resize(std::min(output.find(u'\0'), output.size()));
    return code;
}

int32_t CallIsh(const std::u16string& commandLine) {
    const auto call = archivers::Bind<Shape::IshCommand>(archivers::Library::ish32, "Ish");
    const std::string line = platform::ToSystem(commandLine);
    return call(static_cast<QvWindow>(Module().OwnerWindow), line.c_str());
}

int32_t StartPacker(const std::u16string& commandLine, bool shown) {
    return platform::StartProgram(commandLine, shown) != 0 ? result::kSuccess
                                                           : result::kProgramStartFailed;
}

}  // namespace quorvex6::operations
