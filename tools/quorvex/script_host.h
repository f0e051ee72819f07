// The script host: reads statements line by line and dispatches them by name through the
// control's dispatch table, so that every property, method and error can be reached from a
// shell. A failing statement prints "error N" and the script goes on; a malformed line ends it.
#pragma once
#include <istream>
#include <ostream>

namespace quorvex::cli {

// Exit status: 0 at the end of the script, 2 after a malformed line.
int RunScript(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace quorvex::cli
