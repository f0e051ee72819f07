#include "platform/posix/own_folder.h"

#include <dlfcn.h>

#include <string_view>

namespace quorvex6::platform {

std::string OwnFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OwnFolder), &info) == 0 || info.dli_fname == nullptr)
        return {};
    const std::string_view path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

}  // namespace quorvex6::platform
