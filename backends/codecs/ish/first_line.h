// The free-form lines around a file's records: the first line, which carries the file's full
// name, and the title lines every 50 lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codecs/ish/file_info.h"

namespace quorvex6::backend::codecs::ish {

// Title lines stand at physical lines 50, 100, ... of a file's text, and one ends it.
inline constexpr std::uint64_t kTitleInterval = 50;

// The line count the first and title lines announce, as the format computes it.
std::uint64_t AnnouncedLines(const FileInfo& info);

// "<<< NAME for OS ( use VARIANT ish ) [ N lines ] PROGRAM >>>", without a line end.
std::string FirstLine(const FileInfo& info, std::uint64_t lines);
// "--- NAME (n/N) ---", without a line end.
std::string TitleLine(const FileInfo& info, std::uint64_t n, std::uint64_t lines);

// A title line's text before and after its own number n, for a writer of many.
struct TitleFrame {
    std::string head, tail;
};
TitleFrame TitleFrameOf(const FileInfo& info, std::uint64_t lines);

// The name a first line gives; nullopt for any other line.
std::optional<std::string> NameInFirstLine(std::string_view line);

}  // namespace quorvex6::backend::codecs::ish
