// What a shared library offers and needs, read from its ELF dynamic sections: the names any
// program that loads it can bind, and the shared libraries the loader brings in with it.
#pragma once
#include <set>
#include <string>

namespace quorvex6::testing {

// Defined, global or weak, default or protected visibility. Throws std::runtime_error when the
// file is not a little-endian 64-bit ELF object with a dynamic symbol table.
std::set<std::string> ExportedNames(const std::string& path);

// The file names of its DT_NEEDED entries ("libc.so.6"). Throws as ExportedNames does, or when
// the object has no dynamic section.
std::set<std::string> NeededLibraries(const std::string& path);

}  // namespace quorvex6::testing
