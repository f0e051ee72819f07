#include "listing/text_listing.h"

#include "control/error_reporting.h"

namespace quorvex6::listing::text {
namespace {

constexpr std::u16string_view kSeparator = u"--------------";
constexpr std::u16string_view kMoreMarker = u"\n[More...]";

void DropLine(std::u16string_view& text) {
    const size_t feed = text.find(u'\n');
    if (feed != std::u16string_view::npos) text.remove_prefix(feed + 1);
}

}  // namespace

std::u16string PreparedText(std::u16string_view buffer) {
    const size_t nul = buffer.find(u'\0');
    std::u16string text;
    if (nul != std::u16string_view::npos && nul >= 1) {
        text = buffer.substr(0, nul);
    } else {
        text.reserve(buffer.size() + kMoreMarker.size());
        text.append(buffer).append(kMoreMarker);
    }
    std::u16string_view rest = text;
    DropLine(rest);
    DropLine(rest);
    return std::u16string(rest);
}

std::u16string_view Lines::Take() {
    const size_t feed = rest_.find(u'\n');
    if (feed == std::u16string_view::npos) {
        throw TrappedFailure(u"The archiver's listing ends in the middle of a line.");
    }
    const std::u16string_view line = rest_.substr(0, feed);
    rest_.remove_prefix(feed + 1);
    return line;
}

std::u16string_view Lines::TakeTrimmed() {
    const std::u16string_view line = Trim(Take());
    rest_ = Trim(rest_);
    return line;
}

bool IsSeparator(std::u16string_view line) { return line.starts_with(kSeparator); }

std::u16string_view Trim(std::u16string_view text) {
    const size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

std::u16string Peel(std::u16string_view& line) {
    const size_t space = line.rfind(u' ');
    if (space == std::u16string_view::npos) return {};
    std::u16string column(line.substr(space + 1));
    line = Trim(line.substr(0, space + 1));
    return column;
}

}  // namespace quorvex6::listing::text
