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
    const size_t end = output.find(u'\0');
    // A library copies as much of its log as fits, so a full buffer ends inside a line, which a
    // host would take for a line of its own.
    const bool filled = end == std::u16string::npos || end + 1 == output.size();
    output.resize(std::min(end, output.size()));
    const size_t last_line_end = output.rfind(u'\n');
    if (filled && last_line_end != std::u16string::npos) output.resize(last_line_end + 1);
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
