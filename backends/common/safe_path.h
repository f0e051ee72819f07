// Stored names are untrusted. A name is extracted only when it stays inside the destination:
// no absolute path, no drive letter, no ".." component. '\' counts as a separator unless the
// caller's format never uses it as one (TAR): then it is part of the name, as on POSIX.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex6::backend {

// The name as a clean relative path ('/' separated, no "." or empty parts), or nullopt.
std::optional<std::string> SafeRelativePath(std::string_view stored,
                                            bool backslash_separates = true);

// Whether the name is only "." and separators: the destination itself.
bool IsCurrentFolder(std::string_view stored, bool backslash_separates = true);

// What is at a destination-relative path; for a link, its target too.
enum class PathKind { kNothing, kFolder, kLink, kOther };
using PathLookup = std::function<PathKind(const std::string& relative, std::string* link_target)>;

// Follows a link stored at `link_path` (a safe relative path, split at '/' only) to `target` as the
// system will, through the links `lookup` reports (at most kMaxLinkHops of them). Returns the paths
// the outcome depends on: every path passed through and every link followed. nullopt when the
// target leads outside the destination, back to the link itself or too deep, or holds a
// backslash or a NUL (read differently by different systems).
inline constexpr int kMaxLinkHops = 40;
std::optional<std::vector<std::string>> ResolveLinkInside(std::string_view link_path,
                                                          std::string_view target,
                                                          const PathLookup& lookup);

// The same judged on the text alone, as if nothing existed yet.
bool LinkTargetStaysInside(std::string_view link_path, std::string_view target);

}  // namespace quorvex6::backend
