// Version and busy state of the current kind's library and of the ZIP packing library. Each
// query is trapped: a library that cannot be loaded shows its message and answers 0 / False,
// and Error is never touched.
#include "archivers/bindings.h"
#include "control/error_reporting.h"
#include "control/module_state.h"
#include "quorvex6/control.h"
#include "quorvex6/enums.h"

namespace quorvex6 {
namespace {

using archivers::Shape;

int32_t KindVersion(int32_t kind) {
    // ish32 answers in 32 bits; every other library in 16, widened with its sign.
    if (kind == ISH_) return archivers::BindForKind<Shape::Version32>(kind, "GetVersion")();
    return static_cast<int16_t>(archivers::BindForKind<Shape::Version16>(kind, "GetVersion")());
}

}  // namespace

int32_t Quorvex6::get_Version() const {
    const int32_t kind = Module().CurrentArcMode;
    if (!archivers::IsKnownKind(kind)) return 0;
    return RunTrapped([&] { return KindVersion(kind); }, int32_t{0});
}

int32_t Quorvex6::get_VersionZipJ() const {
    return RunTrapped(
        [] {
            const auto fn =
                archivers::Bind<Shape::Version16>(archivers::Library::zip32j, "ZipGetVersion");
            return static_cast<int32_t>(static_cast<int16_t>(fn()));
        },
        int32_t{0});
}

int16_t Quorvex6::get_Running() const {
    const int32_t kind = Module().CurrentArcMode;
    if (!archivers::IsKnownKind(kind)) return 0;
    return RunTrapped(
        [&] {
            const auto fn = archivers::BindForKind<Shape::Running>(kind, "GetRunning");
            return fn() != 0 ? int16_t{-1} : int16_t{0};
        },
        int16_t{0});
}

int16_t Quorvex6::get_RunningZipJ() const {
    return RunTrapped(
        [] {
            const auto fn =
                archivers::Bind<Shape::Running>(archivers::Library::zip32j, "ZipGetRunning");
            return fn() != 0 ? int16_t{-1} : int16_t{0};
        },
        int16_t{0});
}

}  // namespace quorvex6
