#include "ish32/file_listing.h"

#include <cstdio>

#include "ish32/ish_names.h"

namespace quorvex6::backend::ish32 {

namespace {

constexpr std::string_view kHeadings =
    "ISH text\n"
    "Size       Date       Time     Type\n"
    "--------------------------------------------\n";
// What the control's lister takes for the end of the entries.
constexpr std::string_view kSeparatorStart = "--------------";
constexpr std::string_view kClosing = "--------------------------------------------\n";

std::string_view TypeName(const codecs::ish::FileInfo& info) {
    if (info.volume != 0) return "volume";
    return codecs::ish::LayoutOf(info.variant).name;
}

// "SIZE YYYY-MM-DD HH:MM:SS TYPE", the header's own date and time.
std::string DetailLine(const codecs::ish::FileInfo& info) {
    const uint32_t date = info.dos_time >> 16;
    const uint32_t time = info.dos_time & 0xFFFF;
    char text[64];
    std::snprintf(text, sizeof text, "%u %04u-%02u-%02u %02u:%02u:%02u ", info.size,
                  1980 + (date >> 9), (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63,
                  (time & 31) * 2);
    return std::string(text) + std::string(TypeName(info)) + "\n";
}

// A name line must stay one line, and not read as a separator or as nothing.
std::string NameLine(const codecs::ish::FileInfo& info) {
    std::string name = RestoredName(info);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    if (name.empty() || name.front() == ' ' || name.starts_with(kSeparatorStart))
        name.insert(0, "?");
    return name + "\n";
}

}  // namespace

FileListing::FileListing(size_t capacity) : capacity_(capacity) {}

bool FileListing::Add(const codecs::ish::FileInfo& info) {
    if (cut_) return false;
    std::string lines = NameLine(info) + DetailLine(info);
    if (kHeadings.size() + entries_.size() + lines.size() + kClosing.size() > capacity_) {
        cut_ = true;
        return false;
    }
    entries_ += lines;
    return true;
}

std::string FileListing::Text() const {
    if (kHeadings.size() + kClosing.size() > capacity_) return {};
    return std::string(kHeadings) + entries_ + std::string(kClosing);
}

}  // namespace quorvex6::backend::ish32
