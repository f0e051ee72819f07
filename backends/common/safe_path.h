// Stored names are untrusted. A name is extracted only when it stays inside the destination:
// no absolute path, no drive letter, no ".." component. '\' counts as a separator.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace quorvex6::backend {

// The name as a clean relative path ('/' separated, no "." or empty parts), or nullopt.
std::optional<std::string> SafeRelativePath(std::string_view stored);

// Whether the name is only "." and separators: the destination itself.
bool IsCurrentFolder(std::string_view stored);

// Whether a link stored at `link_path` (a safe relative path) pointing to `target` resolves
// inside the destination, judged on the text alone.
bool LinkTargetStaysInside(std::string_view link_path, std::string_view target);

}  // namespace quorvex6::backend
