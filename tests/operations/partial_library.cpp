// An unlha32 that can check archives but has no command entry point: a library that loads
// and then fails inside an operation's trapped section.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) int32_t UnlhaCheckArchive(const char*, int32_t) {
    return 1;
}
