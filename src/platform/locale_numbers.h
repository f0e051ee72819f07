#pragma once
#include <string>

namespace quorvex6::platform {

struct NumberSeparators {
    std::u16string thousands;
    std::u16string decimal;
};

// The user's numeric separators (LC_NUMERIC of the environment), read without touching the
// process's locale; "," and "." where the locale defines none.
const NumberSeparators& UserNumberSeparators();

}  // namespace quorvex6::platform
