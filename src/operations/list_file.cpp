#include "operations/list_file.h"

#include <algorithm>
#include <stdexcept>

#include "compose/path_helpers.h"
#include "operations/operation_scope.h"
#include "platform/codepage.h"
#include "platform/filesystem.h"

namespace quorvex6::operations {

std::vector<std::u16string> EntriesOf(const FileList& list) {
    if (!list.entries || list.count <= 0) return {};
    const size_t count = std::min(static_cast<size_t>(list.count), list.entries->size());
    return {list.entries->begin(), list.entries->begin() + static_cast<ptrdiff_t>(count)};
}

std::u16string ListText(const std::vector<std::u16string>& names) {
    std::u16string text;
    for (const auto& name : names) {
        if (name.empty()) continue;
        text.push_back(u'"');
        text.append(name);
        text.append(u"\"\r\n");
    }
    text.append(u"\r\n");
    return text;
}

std::u16string WriteListFile(OperationScope& scope, const std::u16string& text) {
    std::u16string name = NewWorkFile();
    if (name.empty()) {
        throw std::runtime_error("cannot make a work file in " +
                                 platform::ToSystem(platform::TempFolder()));
    }
    scope.AdoptWorkFile(name);
    platform::WriteFile(name, platform::ToSystem(text));
    return name;
}

}  // namespace quorvex6::operations
