#include "common/wildcard.h"

#include <cstddef>

namespace quorvex6::backend {

bool HasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

bool MatchWildcard(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*" || pattern == "*") return true;
    // Iterative match with one backtrack point: linear in practice, never exponential.
    size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    // "name.*" also takes "name", as "*.*" takes names without a dot.
    if (p + 2 == pattern.size() && pattern[p] == '.' && pattern[p + 1] == '*') return true;
    return p == pattern.size();
}

static std::string_view FolderPart(std::string_view path) {
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

static bool IsBelow(std::string_view folder, std::string_view base) {
    return folder.size() >= base.size() && folder.substr(0, base.size()) == base;
}

bool MatchPath(std::string_view pattern, std::string_view path, bool recursive) {
    if (!HasWildcard(pattern)) {
        if (pattern == path) return true;
        std::string_view trimmed = pattern;
        while (!trimmed.empty() && trimmed.back() == '/') trimmed.remove_suffix(1);
        return !trimmed.empty() && path.size() > trimmed.size() && path[trimmed.size()] == '/' &&
               path.substr(0, trimmed.size()) == trimmed;
    }
    std::string_view pattern_folder = FolderPart(pattern);
    std::string_view path_folder = FolderPart(path);
    bool folder_ok =
        recursive ? IsBelow(path_folder, pattern_folder) : path_folder == pattern_folder;
    if (!folder_ok) return false;
    return MatchWildcard(pattern.substr(pattern_folder.size()), path.substr(path_folder.size()));
}

}  // namespace quorvex6::backend
