// The small pieces the operations join into command lines.
#pragma once
#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/filesystem.h"

namespace quorvex6::operations {

inline std::u16string Quoted(std::u16string_view text) {
    std::u16string quoted;
    quoted.reserve(text.size() + 2);
    quoted.push_back(u'"');
    quoted.append(text);
    quoted.push_back(u'"');
    return quoted;
}

// A program's command line is split at blanks, so a name holding one is quoted; any other name
// is passed as it stands.
inline std::u16string QuotedIfBlank(std::u16string_view text) {
    return text.find_first_of(u" \t") == std::u16string_view::npos ? std::u16string(text)
                                                                   : Quoted(text);
}

// folder ending in the separator; "" stays "", the folder already current.
inline std::u16string WithSeparator(std::u16string_view folder) {
    std::u16string text(folder);
    if (!text.empty() && text.back() != platform::kFolderSeparator) {
        text.push_back(platform::kFolderSeparator);
    }
    return text;
}

// The command line quotes paths and names with '"' and the libraries split it as Windows does,
// so one holding that character would end its quoted text early and change the command. Such a
// path is refused before anything is composed, with 37123, the control's code for a path it
// cannot use (37122 would claim that it does not exist).
inline bool AnyHoldsQuote(std::initializer_list<std::u16string_view> paths,
                          const std::vector<std::u16string>& names) {
    const auto holds = [](std::u16string_view text) {
        return text.find(u'"') != std::u16string_view::npos;
    };
    return std::any_of(paths.begin(), paths.end(), holds) ||
           std::any_of(names.begin(), names.end(), holds);
}

inline std::u16string TrimBlanks(std::u16string_view text) {
    const size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    return std::u16string(text.substr(first, text.find_last_not_of(u' ') - first + 1));
}

inline constexpr std::u16string_view kAllFiles = u"*.*";

// What every folder entry of a pack list adds: all files of that folder.
inline constexpr char16_t kAllFilesBelowText[] = {platform::kFolderSeparator, u'*', u'.', u'*', 0};
inline constexpr std::u16string_view kAllFilesBelow = kAllFilesBelowText;

}  // namespace quorvex6::operations
