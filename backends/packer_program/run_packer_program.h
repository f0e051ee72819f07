// The shell of a packer program the control starts: its command line, what it prints, and
// which exit code each way of ending gives. A program brings only its own table.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/output_log.h"

namespace quorvex6::backend::packer_program {

struct PackerProgram {
    std::string_view usage;  // printed after a command line the program does not take
    int bad_arguments_exit;
    // Reads the command line (throwing BadArguments) and packs; the exit code.
    int (*pack)(const std::vector<std::string>& words, OutputLog& log);
    int (*exit_code_of)(std::int32_t result_code);
};

// The whole program: runs `pack`, maps what escapes it to an exit code and prints the log.
int RunPackerProgram(int argc, char** argv, const PackerProgram& program);

}  // namespace quorvex6::backend::packer_program
