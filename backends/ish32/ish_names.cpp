#include "ish32/ish_names.h"

#include <algorithm>
#include <cctype>

namespace quorvex6::backend::ish32 {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::toupper(x) == std::toupper(y);
    });
}

}  // namespace

std::string RestoredName(const codecs::ish::FileInfo& info) {
    using codecs::ish::NameField;
    using codecs::ish::ShortNameOf;
    if (!info.name.empty() && SameIgnoringCase(ShortNameOf(NameField(info.name)), info.short_name))
        return info.name;
    return info.short_name;
}

std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string TextNameFor(std::string_view path) {
    size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::string(name) + ".ish";
}

}  // namespace quorvex6::backend::ish32
