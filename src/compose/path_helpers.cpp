#include "compose/path_helpers.h"

#include "archivers/bindings.h"
#include "control/error_reporting.h"
#include "control/module_state.h"
#include "platform/codepage.h"
#include "platform/filesystem.h"

namespace quorvex6 {
namespace {

constexpr std::u16string_view kNameSeparators = u"\\/:";

// "dir/" names the same entry as "dir"; the root keeps its only character.
std::u16string_view WithoutTrailingSeparator(std::u16string_view path) {
    if (path.size() > 1 && path.back() == platform::kFolderSeparator) path.remove_suffix(1);
    return path;
}

}  // namespace

std::u16string ShortPathOf(std::u16string_view path) { return platform::ShortPath(path); }

std::u16string NewWorkFile() { return platform::CreateUniqueFile(platform::TempFolder(), u"~TR"); }

bool FileExists(std::u16string_view path) {
    return platform::SearchFinds(WithoutTrailingSeparator(path), platform::Match::FilesOnly);
}

bool FolderExists(std::u16string_view path) {
    // The empty name is the current folder: an archive name without a folder part is written
    // into the folder the operation works in. Patterns are not expanded: a folder is one name.
    if (path.empty()) return true;
    return platform::IsFolder(WithoutTrailingSeparator(path));
}

bool CheckArchive(std::u16string_view name) {
    const int32_t kind = Module().CurrentArcMode;
    if (!archivers::IsKnownKind(kind)) return false;
    return RunTrapped(
        [&] {
            const auto check =
                archivers::BindForKind<archivers::Shape::Check>(kind, "CheckArchive");
            return check(platform::ToSystem(name).c_str(), 1) != 0;
        },
        false);
}

std::u16string FileNameOf(std::u16string_view path) {
    const size_t last = path.find_last_of(kNameSeparators);
    return std::u16string(last == std::u16string_view::npos ? path : path.substr(last + 1));
}

std::u16string FolderOf(std::u16string_view path) {
    const size_t first = path.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    const std::u16string_view trimmed = path.substr(first, path.find_last_not_of(u' ') - first + 1);
    const size_t last = trimmed.find_last_of(kNameSeparators);
    return last == std::u16string_view::npos ? std::u16string()
                                             : std::u16string(trimmed.substr(0, last + 1));
}

}  // namespace quorvex6
