// The names an extracting command asks for. An entry is selected when any pattern matches it;
// no patterns select every entry. A plain name (no `*` or `?`) that selected nothing was asked
// for and is not there: it is reported, so that the caller does not take nothing done for
// success. A wildcard that matches nothing (`*.*` of an empty archive) is no error.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "common/output_log.h"
#include "common/result.h"

namespace quorvex6::backend {

class NameSelection {
  public:
    NameSelection(std::vector<std::string> patterns, bool recursive);

    bool Selects(std::string_view path);
    // A log line for every plain name that selected nothing, and 0x8031 noted when there is one.
    void ReportUnmatched(OutputLog& log, ResultKeeper& result) const;

  private:
    std::vector<std::string> patterns_;
    std::vector<bool> matched_;
    bool recursive_;
};

}  // namespace quorvex6::backend
