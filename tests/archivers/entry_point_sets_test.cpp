// The backends' one definition of the exported sets (common/entry_points.h) and the control's
// table (archivers/library_table.h) name the same entry points with the same shapes.
#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "archivers/bindings.h"
#include "archivers/bound_names.h"
#include "common/entry_points.h"

namespace quorvex6 {
namespace {

using archivers::kEntryPoints;
using archivers::kLibraries;
using archivers::Library;
using archivers::Shape;
using archivers::ShapeTraits;

constexpr size_t kShapeCount = static_cast<size_t>(Shape::IshFileList) + 1;

// Whether a function of pointer type Fn can be called the way the control calls shape.
template <class Fn, size_t... I>
constexpr bool CalledAs(Shape shape, std::index_sequence<I...>) {
    return ((shape == static_cast<Shape>(I) &&
             std::is_same_v<Fn, typename ShapeTraits<static_cast<Shape>(I)>::Fn>) ||
            ...);
}

struct Declared {
    std::string_view name;
    bool (*called_as)(Shape);
};

#define QV_DECLARED(name, type) \
    Declared{#name,             \
             [](Shape s) { return CalledAs<type>(s, std::make_index_sequence<kShapeCount>()); }},

constexpr Declared kUnlha32[] = {QV_ENTRY_POINTS(unlha32, QV_DECLARED)};
constexpr Declared kUnzip32[] = {QV_ENTRY_POINTS(unzip32, QV_DECLARED)};
constexpr Declared kZip32j[] = {QV_ENTRY_POINTS(zip32j, QV_DECLARED)};
constexpr Declared kCab32[] = {QV_ENTRY_POINTS(cab32, QV_DECLARED)};
constexpr Declared kUnarj32j[] = {QV_ENTRY_POINTS(unarj32j, QV_DECLARED)};
constexpr Declared kIsh32[] = {QV_ENTRY_POINTS(ish32, QV_DECLARED)};
constexpr Declared kTar32[] = {QV_ENTRY_POINTS(tar32, QV_DECLARED)};
constexpr Declared kUnrar32[] = {QV_ENTRY_POINTS(unrar32, QV_DECLARED)};

// In the order of archivers::Library.
constexpr std::span<const Declared> kDeclared[] = {kUnlha32,  kUnzip32, kZip32j, kCab32,
                                                   kUnarj32j, kIsh32,   kTar32,  kUnrar32};
static_assert(std::size(kDeclared) == kLibraries.size());

TEST(ExportedSet, EveryLibrarysDefinitionIsWhatTheControlBinds) {
    for (const auto& library : kLibraries) {
        SCOPED_TRACE(std::string(library.name));
        std::set<std::string> declared;
        for (const Declared& entry : kDeclared[static_cast<size_t>(library.id)]) {
            declared.emplace(entry.name);
            bool bound = false;
            for (const auto& table : kEntryPoints) {
                if (table.library != library.id || table.name != entry.name) continue;
                bound = true;
                EXPECT_TRUE(entry.called_as(table.shape))
                    << entry.name << " is declared with another shape than the control calls";
            }
            EXPECT_TRUE(bound) << entry.name << " is not bound by the control";
        }
        EXPECT_EQ(declared, archivers::BoundNames(library.id));
    }
}

}  // namespace
}  // namespace quorvex6
