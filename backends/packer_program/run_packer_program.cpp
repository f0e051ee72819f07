#include "packer_program/run_packer_program.h"

#include <cstdio>
#include <new>

#include "common/fault_codes.h"
#include "common/pending_names.h"
#include "common/result.h"
#include "common/system.h"
#include "io/fault.h"
#include "packer_program/command_line.h"
#include "packer_program/exit_codes.h"

namespace quorvex6::backend::packer_program {

namespace {

int Run(const std::vector<std::string>& words, const PackerProgram& program, OutputLog& log) {
    try {
        const TerminationCleanup cleanup;
        return program.pack(words, log);
    } catch (const BadArguments& e) {
        log.Line(std::string(e.what()) + "; usage: " + std::string(program.usage));
        return program.bad_arguments_exit;
    } catch (const Failure& f) {
        log.Line(f.what());
        return program.exit_code_of(f.code());
    } catch (const io::Error& e) {
        log.Line(e.what());
        return program.exit_code_of(ResultCodeOf(e.fault()));
    } catch (const std::bad_alloc&) {
        log.Line("out of memory");
        return kExitNoMemory;
    }
}

}  // namespace

int RunPackerProgram(int argc, char** argv, const PackerProgram& program) {
    IgnoreFileSizeSignal();
    const std::vector<std::string> words(argv + 1, argv + argc);
    OutputLog log;
    const int code = Run(words, program, log);
    std::fputs(log.text().c_str(), stdout);
    return code;
}

}  // namespace quorvex6::backend::packer_program
