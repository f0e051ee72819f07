#include "common/name_selection.h"

#include "common/wildcard.h"

namespace quorvex6::backend {

NameSelection::NameSelection(std::vector<std::string> patterns, bool recursive)
    : patterns_(std::move(patterns)), matched_(patterns_.size(), false), recursive_(recursive) {}

bool NameSelection::Selects(std::string_view path) {
    if (patterns_.empty()) return true;
    bool selected = false;
    for (size_t i = 0; i < patterns_.size(); ++i) {
        if (MatchPath(patterns_[i], path, recursive_)) selected = matched_[i] = true;
    }
    return selected;
}

void NameSelection::ReportUnmatched(OutputLog& log, ResultKeeper& result) const {
    for (size_t i = 0; i < patterns_.size(); ++i) {
        if (matched_[i] || HasWildcard(patterns_[i])) continue;
        log.Line("not in the archive: " + patterns_[i]);
        result.Note(result::kFileNotFound);
    }
}

}  // namespace quorvex6::backend
