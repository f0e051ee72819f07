#include "common/safe_path.h"

#include <deque>
#include <vector>

namespace quorvex6::backend {

namespace {

bool IsSeparator(char c, bool backslash = true) { return c == '/' || (backslash && c == '\\'); }

std::vector<std::string_view> Split(std::string_view text, bool backslash = true) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || IsSeparator(text[i], backslash)) {
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

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) {
        if (!out.empty()) out += '/';
        out += part;
    }
    return out;
}

}  // namespace

std::optional<std::string> SafeRelativePath(std::string_view stored, bool backslash_separates) {
    if (stored.empty() || IsSeparator(stored[0], backslash_separates) || HasDrive(stored))
        return std::nullopt;
    std::string out;
    for (std::string_view part : Split(stored, backslash_separates)) {
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

std::optional<std::vector<std::string>> ResolveLinkInside(std::string_view link_path,
                                                          std::string_view target,
                                                          const PathLookup& lookup) {
    std::vector<std::string> here;  // the folder reached so far, never through a link
    for (std::string_view part : Split(link_path)) here.emplace_back(part);
    if (here.empty()) return std::nullopt;
    const std::string self = Join(here);
    here.pop_back();
    std::deque<std::string> ahead;
    std::vector<std::string> depends;
    std::string text(target);
    for (int hops = 0;; ++hops) {
        // A backslash separates on one system and not on another, and the system stops at a NUL:
        // either would make the walk here differ from the system's.
        if (text.empty() || text[0] == '/' || HasDrive(text) ||
            text.find_first_of(std::string_view("\\\0", 2)) != std::string::npos ||
            hops > kMaxLinkHops)
            return std::nullopt;
        std::vector<std::string_view> parts = Split(text);
        ahead.insert(ahead.begin(), parts.begin(), parts.end());
        bool followed = false;
        while (!ahead.empty() && !followed) {
            std::string part = std::move(ahead.front());
            ahead.pop_front();
            if (part == ".") continue;
            if (part == "..") {
                if (here.empty()) return std::nullopt;
                here.pop_back();
                continue;
            }
            here.push_back(std::move(part));
            std::string path = Join(here);
            if (path == self) return std::nullopt;
            std::string link;
            PathKind kind = lookup(path, &link);
            if (kind == PathKind::kLink) {
                here.pop_back();
                text = std::move(link);
                followed = true;
            }
            // What ends the walk may change later without changing where the link leads.
            if (followed || !ahead.empty()) depends.push_back(std::move(path));
        }
        if (!followed) return depends;
    }
}

bool LinkTargetStaysInside(std::string_view link_path, std::string_view target) {
    return ResolveLinkInside(link_path, target,
                             [](const std::string&, std::string*) { return PathKind::kNothing; })
        .has_value();
}

}  // namespace quorvex6::backend
