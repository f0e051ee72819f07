// Marks the entry points a library exports: C linkage, visible although the build hides the rest.
#pragma once
#include <type_traits>

#include "common/entry_points.h"
#include "quorvex6/archiver_api.h"

#define QV_EXPORT extern "C" __attribute__((visibility("default")))

// Declares library lib's set with the shapes the control calls: a definition of another shape
// is then a compile error. Use once, at file scope, before the definitions.
#define QV_DECLARE_ENTRY_POINTS(lib) \
    QV_ENTRY_POINTS(lib, QV_DECLARE_ENTRY_POINT) static_assert(true, "")
#define QV_DECLARE_ENTRY_POINT(name, type) QV_EXPORT std::remove_pointer_t<type> name;
