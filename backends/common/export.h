// Marks the entry points a library exports: C linkage, visible although the build hides the rest.
#pragma once

#define QV_EXPORT extern "C" __attribute__((visibility("default")))
