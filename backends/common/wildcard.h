// Name patterns of the command lines: `*` any run, `?` one character, `*.*` every file (as on
// MS-DOS, also names without a dot). Matching is byte-wise and case-sensitive.
#pragma once
#include <string_view>

namespace quorvex6::backend {

bool MatchWildcard(std::string_view pattern, std::string_view name);
bool HasWildcard(std::string_view text);

// Whether a stored path ("a/b/c.txt") is selected by a pattern with an optional folder part
// ("a/*.txt"). Not recursive: the path's folder must equal the pattern's. Recursive: it may lie
// anywhere below it. A pattern without wildcards also selects everything below the folder it names.
bool MatchPath(std::string_view pattern, std::string_view path, bool recursive);

}  // namespace quorvex6::backend
