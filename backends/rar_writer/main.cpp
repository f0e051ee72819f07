// quorvex-rar: the RAR packer the control starts for `rar` on POSIX (see README.md).
#include "packer_program/run_packer_program.h"
#include "rar_writer/arguments.h"
#include "rar_writer/exit_codes.h"
#include "rar_writer/update.h"

namespace {

using namespace quorvex6::backend;

int Pack(const std::vector<std::string>& words, OutputLog& log) {
    return rar_writer::Update(rar_writer::ParseArguments(words), log);
}

}  // namespace

int main(int argc, char** argv) {
    return packer_program::RunPackerProgram(
        argc, argv,
        {"quorvex-rar a|u [-std] [-r] [-ep] [-es] [-eh] archive [names]",
         rar_writer::kExitUserError, Pack, rar_writer::ExitCodeOf});
}
