// The names the control binds from one library, from its table.
#pragma once
#include <set>
#include <string>

#include "archivers/library_table.h"

namespace quorvex6::archivers {

inline std::set<std::string> BoundNames(Library library) {
    std::set<std::string> names;
    for (const auto& entry : kEntryPoints) {
        if (entry.library == library) names.emplace(entry.name);
    }
    return names;
}

}  // namespace quorvex6::archivers
