#include "archivers/bindings.h"

#include <map>
#include <memory>

#include "control/error_reporting.h"
#include "platform/codepage.h"
#include "platform/loader.h"

namespace quorvex6::archivers {
namespace {

struct Bound {
    std::shared_ptr<platform::DynamicLibrary> library;
    std::map<std::string, void*, std::less<>> entries;
};

std::map<Library, Bound>& Cache() {
    thread_local std::map<Library, Bound> cache;
    return cache;
}

}  // namespace

void* BindAddress(Library library, const std::string& entry) {
    Bound& bound = Cache()[library];
    try {
        if (!bound.library)
            bound.library = platform::DynamicLibrary::Open(std::string(NameOf(library)));
    } catch (const platform::LoadError& failure) {
        // Not cached: the library may be put in place before the next call.
        Cache().erase(library);
        throw TrappedFailure(platform::FromSystem(failure.what()));
    }
    if (const auto found = bound.entries.find(entry); found != bound.entries.end()) {
        return found->second;
    }
    try {
        void* address = bound.library->Find(entry);
        bound.entries.emplace(entry, address);
        return address;
    } catch (const platform::LoadError& failure) {
        // Only this look-up fails: the library stays loaded, since archive handles it gave out
        // may still be open.
        throw TrappedFailure(platform::FromSystem(failure.what()));
    }
}

int32_t CallCommand(QvCommandFn fn, int32_t hwnd, const std::u16string& commandLine, uint32_t size,
                    std::u16string* output) {
    const std::string line = platform::ToSystem(commandLine);
    std::string buffer(size, '\0');
    const int32_t code = fn(static_cast<QvWindow>(hwnd), line.c_str(), buffer.data(), size);
    if (output != nullptr) *output = platform::FromSystem(buffer);
    return code;
}

}  // namespace quorvex6::archivers
