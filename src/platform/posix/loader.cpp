#include "platform/loader.h"

#include <dlfcn.h>

namespace quorvex6::platform {

std::string DynamicLibrary::FileNameOf(const std::string& name) { return "lib" + name + ".so"; }

std::shared_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& name) {
    // Called from inside libquorvex6, so the loader also searches its $ORIGIN run path, after
    // LD_LIBRARY_PATH and before the system's folders.
    const std::string file = FileNameOf(name);
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        throw LoadError("cannot load the archiver library " + file + " (" + name +
                        "), looked for on LD_LIBRARY_PATH, beside libquorvex6 and in the "
                        "system's library folders: " +
                        (why != nullptr ? why : "unknown reason"));
    }
    return std::shared_ptr<DynamicLibrary>(new DynamicLibrary(handle, file));
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
