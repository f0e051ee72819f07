// What an ISH listing reads: the headers of every file of a text and the names of its first
// lines, and a header record's fields from raw bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codecs/ish/first_line.h"
#include "codecs/ish/ish.h"
#include "fuzz_ish_lines.h"

using namespace quorvex6::backend::codecs;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 69) {
        if (std::optional<ish::FileInfo> info = ish::ParseHeader(data, 69)) {
            // Our header of what was read reads back the same.
            ish::HeaderRecord again = ish::MakeHeader(*info);
            std::optional<ish::FileInfo> back = ish::ParseHeader(again.data(), again.size());
            if (!back || back->size != info->size || back->dos_time != info->dos_time ||
                back->zone_west != info->zone_west || back->variant != info->variant ||
                back->volume != info->volume || back->set != info->set)
                __builtin_trap();
        }
    }
    ish::NameInFirstLine(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<std::uint8_t> text = ish::fuzz::text_from(data, size);
    ish::fuzz::TextSource in(text, SIZE_MAX);
    ish::Reader reader(in);
    std::size_t files = 0;
    while (std::optional<ish::FileInfo> info = reader.next()) {
        // A file needs at least one header line of 78 characters.
        if (++files * 78 > text.size()) __builtin_trap();
    }
    return 0;
}
