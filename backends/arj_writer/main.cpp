// quorvex-arj: the ARJ packer the control starts for `arj` on POSIX (see README.md).
#include "arj_writer/arguments.h"
#include "arj_writer/exit_codes.h"
#include "arj_writer/update.h"
#include "packer_program/run_packer_program.h"

namespace {

using namespace quorvex6::backend;

int Pack(const std::vector<std::string>& words, OutputLog& log) {
    return arj_writer::Update(arj_writer::ParseArguments(words), log);
}

}  // namespace

int main(int argc, char** argv) {
    return packer_program::RunPackerProgram(
        argc, argv,
        {"quorvex-arj u [-r] [-e] [-c] [-a] [-2d] [-m0..4] archive [names]",
         arj_writer::kExitBadParameters, Pack, arj_writer::ExitCodeOf});
}
