#include "platform/loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/posix/own_folder.h"

namespace quorvex6::platform {
namespace {

// The search is made here rather than left to dlopen's own use of the run path: that run path is
// the calling object's, and a sanitizer runtime that intercepts dlopen becomes the caller.
std::vector<std::string> Candidates(const std::string& file) {
    std::vector<std::string> found;
    auto add_if_present = [&](std::string_view folder) {
        if (folder.empty()) return;
        std::string path = std::string(folder) + "/" + file;
        if (access(path.c_str(), F_OK) == 0) found.push_back(std::move(path));
    };
    if (const char* env = std::getenv("LD_LIBRARY_PATH")) {
        std::string_view rest = env;
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            add_if_present(rest.substr(0, colon));
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    add_if_present(OwnFolder());
    found.push_back(file);  // the system's folders, and the calling program's run path
    return found;
}

}  // namespace

std::string DynamicLibrary::FileNameOf(const std::string& name) { return "lib" + name + ".so"; }

std::shared_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& name) {
    const std::string file = FileNameOf(name);
    std::string why;  // the first failure says most: a file found but refused
    for (const std::string& candidate : Candidates(file)) {
        if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return std::shared_ptr<DynamicLibrary>(new DynamicLibrary(handle, file));
        }
        const char* error = dlerror();
        if (why.empty() && error != nullptr) why = error;
    }
    throw LoadError("cannot load the archiver library " + file + " (" + name +
                    "), looked for on LD_LIBRARY_PATH, beside libquorvex6 and in the "
                    "system's library folders: " +
                    (why.empty() ? "unknown reason" : why));
}

DynamicLibrary::~DynamicLibrary() { dlclose(handle_); }

void* DynamicLibrary::Find(const std::string& entry) const {
    dlerror();
    void* address = dlsym(handle_, entry.c_str());
    if (address == nullptr) {
        throw LoadError("the archiver library " + file_ + " has no entry point " + entry);
    }
    return address;
}

}  // namespace quorvex6::platform
