// An unlha32 that opens archives and finds their first entry but has no UnlhaFindNext. Its open
// handles live in the library's own memory, so a close answers whether the library that gave the
// handle out is still the one loaded.
#include <cstdint>

#include "quorvex6/archiver_api.h"

namespace {
uint32_t openHandles = 0;  // one bit per handle
}

extern "C" __attribute__((visibility("default"))) QvArchive UnlhaOpenArchive(QvWindow, const char*,
                                                                             uint32_t) {
    for (QvArchive handle = 1; handle < 32; ++handle) {
        if ((openHandles & (1u << handle)) == 0) {
            openHandles |= 1u << handle;
            return handle;
        }
    }
    return 0;
}

extern "C" __attribute__((visibility("default"))) int32_t UnlhaFindFirst(QvArchive handle,
                                                                         const char*,
                                                                         QvEntryInfo*) {
    return handle < 32 && (openHandles & (1u << handle)) != 0 ? 0 : -1;
}

extern "C" __attribute__((visibility("default"))) int32_t UnlhaCloseArchive(QvArchive handle) {
    if (handle >= 32 || (openHandles & (1u << handle)) == 0) return -1;
    openHandles &= ~(1u << handle);
    return 0;
}
