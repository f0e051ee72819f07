#include "codecs/ish/first_line.h"

#include <array>
#include <utility>

#include "quorvex6/version.h"

namespace quorvex6::backend::codecs::ish {

namespace {

constexpr std::string_view kOpen = "<<< ";
constexpr std::string_view kFor = " for ";
constexpr std::string_view kUse = " ( use ";

std::string_view OsText(std::uint8_t os) {
    static constexpr std::array<std::pair<std::uint8_t, std::string_view>, 9> kNames = {{
        {0x00, "MS-DOS or Human68K"},
        {0x10, "CP/M or MSX-DOS"},
        {0x20, "OS-9"},
        {0x21, "OS-9Ext"},
        {0x30, "UNIX"},
        {0x40, "Mac"},
        {0x41, "Mac"},
        {0xFE, "OTHER"},
        {0xFF, "ALL-OS"},
    }};
    for (const auto& [code, text] : kNames) {
        if (code == os) return text;
    }
    return "OTHER";
}

// A name from the file system may hold line breaks; in our lines they would start new ones.
std::string Printable(std::string_view name) {
    std::string s(name);
    for (char& c : s) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return s;
}

// Our name where the format's first line names the program that wrote it.
std::string Program() {
    std::string s = "quorvex6 Ver";
    for (const char16_t* p = version::kVersionString; *p != 0; ++p) s += static_cast<char>(*p);
    return s;
}

}  // namespace

std::uint64_t AnnouncedLines(const FileInfo& info) {
    const std::uint64_t per_line = LayoutOf(info.variant).payload();
    std::uint64_t lines = (std::uint64_t{info.size} + 2 + per_line - 1) / per_line;
    std::uint64_t blocks = (lines + per_line - 1) / per_line;
    std::uint64_t t = lines + 2 * blocks + 4;
    return t + t / (kTitleInterval - 1) + 1;
}

std::string FirstLine(const FileInfo& info, std::uint64_t lines) {
    std::string s(kOpen);
    s += Printable(info.name);
    s += kFor;
    s += OsText(info.os);
    s += kUse;
    s += LayoutOf(info.variant).name;
    s += " ish ) [ " + std::to_string(lines) + " lines ] " + Program() + " >>>";
    return s;
}

std::string TitleLine(const FileInfo& info, std::uint64_t n, std::uint64_t lines) {
    TitleFrame frame = TitleFrameOf(info, lines);
    return frame.head + std::to_string(n) + frame.tail;
}

TitleFrame TitleFrameOf(const FileInfo& info, std::uint64_t lines) {
    return {"--- " + Printable(info.name) + " (", "/" + std::to_string(lines) + ") ---"};
}

std::optional<std::string> NameInFirstLine(std::string_view line) {
    // A colour sequence may stand before the opening mark; no system name holds " for ".
    std::size_t open = line.find(kOpen);
    if (open == std::string_view::npos) return std::nullopt;
    std::size_t use = line.find(kUse, open);
    if (use == std::string_view::npos) return std::nullopt;
    std::size_t start = open + kOpen.size();
    std::size_t for_at = line.rfind(kFor, use);
    if (for_at == std::string_view::npos || for_at < start) return std::nullopt;
    return std::string(line.substr(start, for_at - start));
}

}  // namespace quorvex6::backend::codecs::ish
