// How the program ends: 0 when the control recorded no error, 1 when it recorded one (or a
// call failed), 2 when the command line itself was wrong.
#pragma once
#include <stdexcept>
#include <string>

namespace quorvex::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A command line the program cannot carry out as written; the text is a one-line hint.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace quorvex::cli
