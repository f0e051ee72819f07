// The list files that name what a library is to pack or extract: one quoted name per line,
// CR LF after each and once more at the end, in the system code page.
#pragma once
#include <string>
#include <vector>

#include "control/state.h"

namespace quorvex6::operations {

// The entries 0 .. count-1 of a file list, in index order.
std::vector<std::u16string> EntriesOf(const FileList& list);

// The lines of a list file: each non-empty name quoted and ended by CR LF, then one more CR LF.
std::u16string ListText(const std::vector<std::u16string>& names);

// Makes a work file, hands it to scope and writes text into it; returns its name. Throws when
// the file cannot be written (the scope deletes what was made).
class OperationScope;
std::u16string WriteListFile(OperationScope& scope, const std::u16string& text);

}  // namespace quorvex6::operations
