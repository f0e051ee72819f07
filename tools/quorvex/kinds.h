// The seven archive kinds as the user names them, and how the program tells an archive's kind
// from its name or, failing that, from its first bytes.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

namespace quorvex::cli {

struct Kind {
    std::string_view name;  // as --kind takes it
    int32_t arcMode;
    std::span<const std::string_view> suffixes;  // lower case, longest first where they overlap
    bool (*bid)(std::span<const unsigned char> head);  // does the file start like one?
};

std::span<const Kind> Kinds();
const Kind* KindNamed(std::string_view name);
const Kind* KindOfArcMode(int32_t arcMode);
// By the name's suffix, case-insensitively.
const Kind* KindFromName(const std::filesystem::path& archive);
// By the first bytes of an existing file; nullptr when none bids or it cannot be read.
const Kind* KindFromContent(const std::filesystem::path& archive);

}  // namespace quorvex::cli
