#include "common/check_archive.h"

#include "common/command_gate.h"
#include "common/result.h"

namespace quorvex6::backend {

namespace {

constexpr int32_t kDepthMask = 3;

CheckDepth DepthOf(int32_t mode) {
    switch (mode & kDepthMask) {
        case 0:
            return CheckDepth::kFound;
        case 1:
            return CheckDepth::kHeaders;
        default:
            return CheckDepth::kData;
    }
}

}  // namespace

int32_t CheckArchiveAnswer(const char* archive, int32_t mode, const ArchiveCheck& check) noexcept {
    if (archive == nullptr) return 0;
    std::string path = archive;
    int32_t code = Guarded([&] { return check(path, DepthOf(mode)); });
    return code == result::kSuccess ? 1 : 0;
}

}  // namespace quorvex6::backend
