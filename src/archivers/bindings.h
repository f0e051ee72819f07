// Binding archiver entry points by name at first use. A library or entry point that cannot be
// loaded throws TrappedFailure with a description naming the file or entry point.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "archivers/library_table.h"
#include "quorvex6/archiver_api.h"

namespace quorvex6::archivers {

template <Shape S>
struct ShapeTraits;
template <>
struct ShapeTraits<Shape::Command> {
    using Fn = QvCommandFn;
};
template <>
struct ShapeTraits<Shape::IshCommand> {
    using Fn = QvIshCommandFn;
};
template <>
struct ShapeTraits<Shape::Version16> {
    using Fn = QvGetVersion16Fn;
};
template <>
struct ShapeTraits<Shape::Version32> {
    using Fn = QvGetVersion32Fn;
};
template <>
struct ShapeTraits<Shape::Running> {
    using Fn = QvGetRunningFn;
};
template <>
struct ShapeTraits<Shape::Check> {
    using Fn = QvCheckArchiveFn;
};
template <>
struct ShapeTraits<Shape::Open> {
    using Fn = QvOpenArchiveFn;
};
template <>
struct ShapeTraits<Shape::FindFirst> {
    using Fn = QvFindFirstFn;
};
template <>
struct ShapeTraits<Shape::FindNext> {
    using Fn = QvFindNextFn;
};
template <>
struct ShapeTraits<Shape::Close> {
    using Fn = QvCloseArchiveFn;
};
template <>
struct ShapeTraits<Shape::IshFileList> {
    using Fn = QvIshFileListFn;
};

// The address of entry in library, loaded and cached for this thread on first use.
void* BindAddress(Library library, const std::string& entry);

template <Shape S>
typename ShapeTraits<S>::Fn Bind(Library library, const std::string& entry) {
    return reinterpret_cast<typename ShapeTraits<S>::Fn>(BindAddress(library, entry));
}

// The entry point of an archive kind (ArcMode 0..6): its prefix joined to suffix.
template <Shape S>
typename ShapeTraits<S>::Fn BindForKind(int32_t kind, std::string_view suffix) {
    const KindLibrary& served = kKindLibraries.at(static_cast<size_t>(kind));
    return Bind<S>(served.library, std::string(served.prefix) + std::string(suffix));
}

// A command call with an output buffer of size NUL characters; output, when given, receives the
// whole buffer afterwards, NULs included, converted from the system code page.
int32_t CallCommand(QvCommandFn fn, int32_t hwnd, const std::u16string& commandLine, uint32_t size,
                    std::u16string* output = nullptr);

}  // namespace quorvex6::archivers
