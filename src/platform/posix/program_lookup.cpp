#include "platform/posix/program_lookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace quorvex6::platform {
namespace {

bool IsExecutable(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

std::string FindOnPath(const std::string& program) {
    if (program.find('/') != std::string::npos) return IsExecutable(program) ? program : "";
    const char* env = std::getenv("PATH");
    const std::string path = env != nullptr ? env : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        std::string folder = path.substr(start, end - start);
        if (folder.empty()) folder = ".";
        std::string candidate = std::move(folder);
        candidate.append(1, '/').append(program);
        if (IsExecutable(candidate)) return candidate;
        start = end + 1;
    }
    return "";
}

}  // namespace

std::string FindProgram(const std::string& command, const std::string& own_folder) {
    for (const OwnProgram& own : kOwnPrograms) {
        if (own.command != command) continue;
        const std::string ours =
            own_folder.empty() ? std::string() : own_folder + "/" + std::string(own.file);
        const bool have_ours = !ours.empty() && IsExecutable(ours);
        if (have_ours && own.ours_first) return ours;
        const std::string found = FindOnPath(command);
        return found.empty() && have_ours ? ours : found;
    }
    return FindOnPath(command);
}

}  // namespace quorvex6::platform
