#include "rar_writer/exit_codes.h"

#include <array>

#include "packer_program/exit_codes.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::backend::rar_writer {

int ExitCodeOf(std::int32_t result_code) {
    static constexpr std::array<packer_program::OwnExit, 4> kOwn{{
        {result::kDiskFull, kExitWriteError},
        {result::kWriteError, kExitWriteError},
        {result::kNotValidArchive, kExitOpenError},
        {result::kCannotOpenArchive, kExitCreateError},
    }};
    return packer_program::ExitCodeOf(result_code, kOwn);
}

}  // namespace quorvex6::backend::rar_writer
