#include "common/input_opener.h"

namespace quorvex6::backend {

InputFile InputOpener::Open(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return InputFile(path);
    if (!folder_ || path.compare(0, slash + 1, folder_path_) != 0) {
        folder_.reset();
        folder_path_ = path.substr(0, slash + 1);
        try {
            folder_.emplace(folder_path_, true);
        } catch (const Failure&) {
            return InputFile(path);  // fails as it would have, with its own message
        }
    }
    return InputFile(*folder_, path.substr(slash + 1), path);
}

}  // namespace quorvex6::backend
