#include "common/volume_inputs.h"

#include "common/result.h"

namespace quorvex6::backend {

std::function<std::unique_ptr<io::RandomInput>(const std::string&)> ArchiveVolumeOpener(
    const std::string& path) {
    // Held apart so that the opener stays copyable, as std::function wants.
    auto first = std::make_shared<std::unique_ptr<FileInput>>();
    try {
        *first = std::make_unique<FileInput>(path);
    } catch (const Failure&) {
        throw Failure(result::kCannotOpenArchive, "cannot open archive " + path);
    }
    return [first](const std::string& name) -> std::unique_ptr<io::RandomInput> {
        if (*first) return std::move(*first);
        try {
            return std::make_unique<FileInput>(name);
        } catch (const Failure&) {
            return nullptr;
        }
    };
}

}  // namespace quorvex6::backend
