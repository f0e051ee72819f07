#include "codecs/ish/variant.h"

namespace quorvex6::backend::codecs::ish {

namespace {

constexpr std::array<Layout, 4> kLayouts = {{
    {63, 78, 13, 16, Variant::kJis7, "jis7"},
    {69, 79, 8, 8, Variant::kJis8, "jis8"},
    {73, 78, 15, 16, Variant::kJis7, "shift_jis"},
    {69, 79, 14, 16, Variant::kJis7, "non-kana"},
}};

}  // namespace

const Layout& LayoutOf(Variant v) { return kLayouts[static_cast<std::size_t>(v)]; }

std::optional<Variant> VariantFromCode(std::uint8_t type_code) {
    for (Variant v : kVariants) {
        if (LayoutOf(v).type_code == type_code) return v;
    }
    return std::nullopt;
}

}  // namespace quorvex6::backend::codecs::ish
