// The names a shared library exports, read from its ELF dynamic symbol table: what any program
// that loads it can bind, whatever it is called.
#pragma once
#include <set>
#include <string>

namespace quorvex6::testing {

// Defined, global or weak, default or protected visibility. Throws std::runtime_error when the
// file is not a little-endian 64-bit ELF object with a dynamic symbol table.
std::set<std::string> ExportedNames(const std::string& path);

}  // namespace quorvex6::testing
