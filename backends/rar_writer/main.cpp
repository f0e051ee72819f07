// quorvex-rar: the RAR packer the control starts for `rar` on POSIX (see README.md).
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "common/fault_codes.h"
#include "common/output_log.h"
#include "common/pending_names.h"
#include "common/result.h"
#include "common/system.h"
#include "io/fault.h"
#include "rar_writer/arguments.h"
#include "rar_writer/exit_codes.h"
#include "rar_writer/update.h"

namespace quorvex6::backend::rar_writer {
namespace {

int Run(const std::vector<std::string>& words, OutputLog& log) {
    try {
        const Arguments args = ParseArguments(words);
        const TerminationCleanup cleanup;
        return Update(args, log);
    } catch (const BadArguments& e) {
        log.Line(std::string(e.what()) +
                 "; usage: quorvex-rar a|u [-std] [-r] [-ep] [-es] [-eh] archive [names]");
        return kExitUserError;
    } catch (const Failure& f) {
        log.Line(f.what());
        return ExitCodeOf(f.code());
    } catch (const io::Error& e) {
        log.Line(e.what());
        return ExitCodeOf(ResultCodeOf(e.fault()));
    } catch (const std::bad_alloc&) {
        log.Line("out of memory");
        return kExitNoMemory;
    }
}

}  // namespace
}  // namespace quorvex6::backend::rar_writer

int main(int argc, char** argv) {
    quorvex6::backend::IgnoreFileSizeSignal();
    const std::vector<std::string> words(argv + 1, argv + argc);
    quorvex6::backend::OutputLog log;
    const int code = quorvex6::backend::rar_writer::Run(words, log);
    std::fputs(log.text().c_str(), stdout);
    return code;
}
