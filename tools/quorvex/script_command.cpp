#include <fstream>
#include <iostream>

#include "command_support.h"
#include "commands.h"
#include "script_host.h"
#include "usage_error.h"

namespace quorvex::cli {

std::vector<const OptionRule*> ScriptOptions() { return {&kHelpOption}; }

int RunScriptCommand(const Arguments& args) {
    if (args.operands().size() > 1) throw UsageError("unexpected operand " + args.operands()[1]);
    if (args.operands().empty() || args.operands().front() == "-") {
        return RunScript(std::cin, std::cout, std::cerr);
    }
    std::ifstream file(args.operands().front());
    if (!file) throw UsageError("cannot read " + args.operands().front());
    return RunScript(file, std::cout, std::cerr);
}

}  // namespace quorvex::cli
