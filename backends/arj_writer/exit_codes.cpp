#include "arj_writer/exit_codes.h"

#include <array>

#include "packer_program/exit_codes.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::backend::arj_writer {

int ExitCodeOf(std::int32_t result_code) {
    static constexpr std::array<packer_program::OwnExit, 3> kOwn{{
        {result::kDiskFull, kExitDiskFull},
        {result::kNotValidArchive, kExitNotArj},
        {result::kCannotOpenArchive, kExitCannotOpen},
    }};
    return packer_program::ExitCodeOf(result_code, kOwn);
}

}  // namespace quorvex6::backend::arj_writer
