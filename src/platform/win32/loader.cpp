#include "platform/loader.h"

#include <windows.h>

namespace quorvex6::platform {

std::string DynamicLibrary::FileNameOf(const std::string& name) { return name + ".dll"; }

std::shared_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& name) {
    const std::string file = FileNameOf(name);
    HMODULE handle = LoadLibraryA(file.c_str());
    if (handle == nullptr) {
        throw LoadError("cannot load the archiver library " + file + " (error " +
                        std::to_string(GetLastError()) + ")");
    }
    return std::shared_ptr<DynamicLibrary>(new DynamicLibrary(handle, file));
}

DynamicLibrary::~DynamicLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* DynamicLibrary::Find(const std::string& entry) const {
    FARPROC address = GetProcAddress(static_cast<HMODULE>(handle_), entry.c_str());
    if (address == nullptr) {
        throw LoadError("the archiver library " + file_ + " has no entry point " + entry);
    }
    return reinterpret_cast<void*>(address);
}

}  // namespace quorvex6::platform
