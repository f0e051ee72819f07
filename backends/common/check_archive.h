// The body of every library's CheckArchive(name, mode): the low bits of the mode say how deep
// to look, the library's check says what it found as a result code, and the answer is 1 (a
// valid archive) or 0, whatever failed or was thrown.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "common/fault_codes.h"
#include "common/output_log.h"
#include "common/result.h"

namespace quorvex6::backend {

enum class CheckDepth {
    kFound,    // mode 0: the archive is found (also behind a self-extractor's program)
    kHeaders,  // mode 1: every header reads
    kData,     // mode 2: every entry decodes and passes its check values
};

using ArchiveCheck = std::function<int32_t(const std::string& path, CheckDepth depth)>;

int32_t CheckArchiveAnswer(const char* archive, int32_t mode, const ArchiveCheck& check) noexcept;

// The check of a library whose Archive(path) reads every header at once and keeps the damage
// after its entries (end_error()), and whose `test(archive, log)` decodes every entry.
template <class Archive, class Test>
ArchiveCheck CheckHeldArchive(Test test) {
    return [test](const std::string& path, CheckDepth depth) -> int32_t {
        Archive archive(path);
        if (depth != CheckDepth::kFound && archive.end_error())
            return ResultCodeOf(archive.end_error()->fault());
        if (depth != CheckDepth::kData) return result::kSuccess;
        OutputLog log;
        return test(archive, log);
    };
}

}  // namespace quorvex6::backend
