// OpenFile: existence and archive checks, then the lister of the current kind. oFilesCount
// takes the lister's count only on success; the result is recorded once, at the end.
#include "archivers/bindings.h"
#include "compose/path_helpers.h"
#include "control/error_reporting.h"
#include "control/module_state.h"
#include "control/state.h"
#include "listing/enumerated_lister.h"
#include "listing/text_listers.h"
#include "quorvex6/control.h"
#include "quorvex6/enums.h"
#include "quorvex6/result_codes.h"

namespace quorvex6 {
namespace {

// ZIP libraries of version 80 and later enumerate records; older ones only print a listing.
constexpr int16_t kFirstEnumeratingZipVersion = 80;

int32_t ListZip(const std::u16string& archive, int16_t& count) {
    const auto version = archivers::BindForKind<archivers::Shape::Version16>(ZIP_, "GetVersion");
    if (static_cast<int16_t>(version()) >= kFirstEnumeratingZipVersion) {
        return listing::ListEnumerated(ZIP_, archive, count);
    }
    return listing::ListZipText(archive, count);
}

int32_t ListKind(int32_t kind, const std::u16string& archive, int16_t& count) {
    if (kind == ZIP_) {
        return RunTrapped([&] { return ListZip(archive, count); }, result::kTrapped);
    }
    if (kind == ISH_) return listing::ListIsh(archive, count);
    // Unknown kinds never get here: the archive check has already said no for them.
    if (!listing::IsEnumeratedKind(kind)) return result::kSuccess;
    return listing::ListEnumerated(kind, archive, count);
}

}  // namespace

void Quorvex6::OpenFile() {
    const std::u16string archive = state_->oArcFileName;
    state_->libraryOutput.clear();
    if (!FileExists(archive)) {
        SetError(*state_, result::kFileNotFound);
        return;
    }
    if (!CheckArchive(archive)) {
        SetError(*state_, result::kCannotOpen);
        return;
    }
    int16_t count = 0;
    const int32_t code = ListKind(Module().CurrentArcMode, archive, count);
    if (code == result::kSuccess) state_->oFilesCount = count;
    SetError(*state_, code);
}

}  // namespace quorvex6
