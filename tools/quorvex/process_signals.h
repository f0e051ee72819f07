// What the program asks of signals before it calls the control.
#pragma once

namespace quorvex::cli {

// Past a file-size limit (ulimit -f) a write then fails, and the libraries answer 0x8013 and
// clean up, instead of the program being ended by SIGXFSZ halfway through.
#if defined(_WIN32)
inline void IgnoreFileSizeSignal() {}  // no such signal there
#else
void IgnoreFileSizeSignal();
#endif

}  // namespace quorvex::cli
