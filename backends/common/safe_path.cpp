#include "common/safe_path.h"

#include <vector>

namespace quorvex6::backend {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::vector<std::string_view> Split(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || IsSeparator(text[i])) {
            if (i > start) parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool HasDrive(std::string_view text) {
    return text.size() >= 2 && text[1] == ':' &&
           ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

}  // namespace

std::optional<std::string> SafeRelativePath(std::string_view stored) {
    if (stored.empty() || IsSeparator(stored[0]) || HasDrive(stored)) return std::nullopt;
    std::string out;
    for (std::string_view part : Split(stored)) {
        if (part == ".") continue;
        if (part == ".." || part.find('\0') != std::string_view::npos) return std::nullopt;
        if (!out.empty()) out += '/';
        out.append(part);
    }
    if (out.empty()) return std::nullopt;
    return out;
}

bool IsCurrentFolder(std::string_view stored) {
    if (stored.empty()) return false;
    for (std::string_view part : Split(stored))
        if (part != ".") return false;
    return !IsSeparator(stored[0]);
}

bool LinkTargetStaysInside(std::string_view link_path, std::string_view target) {
    if (target.empty() || IsSeparator(target[0]) || HasDrive(target)) return false;
    std::vector<std::string_view> parts = Split(link_path);
    if (!parts.empty()) parts.pop_back();  // the link itself
    size_t depth = parts.size();
    for (std::string_view part : Split(target)) {
        if (part == ".") continue;
        if (part == "..") {
            if (depth == 0) return false;
            --depth;
        } else {
            ++depth;
        }
    }
    return true;
}

}  // namespace quorvex6::backend
