#pragma once
#include <string>
#include <vector>

namespace quorvex6::platform {

// Splits a command line into words the way the Windows runtime does: blanks separate, double
// quotes group, 2n backslashes before a quote give n and toggle quoting, 2n+1 give n and a quote.
std::vector<std::string> SplitCommandLine(const std::string& line);

}  // namespace quorvex6::platform
