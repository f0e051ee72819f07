// What the host hands ish32: command lines, and the names texts carry into its listing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/result.h"
#include "ish32/file_listing.h"
#include "ish32/ish_command.h"
#include "ish32/ish_names.h"

using namespace quorvex6::backend;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        // Files "exist" by the parity of their length: both answers are reached, no file is.
        ish32::ParseIshCommand(text, [](const std::string& path) { return path.size() % 2 == 0; });
    } catch (const Failure&) {
    }
    const size_t half = size / 2;
    quorvex6::backend::codecs::ish::FileInfo info;
    info.name = std::string(text.substr(0, half));
    info.short_name = std::string(text.substr(half, 12));
    info.size = static_cast<uint32_t>(size);
    info.dos_time = size > 4 ? static_cast<uint32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                                     static_cast<uint32_t>(data[3]) << 24)
                             : 0;
    ish32::FileListing listing(size * 8);
    listing.Add(info);
    ish32::TextNameFor(text);
    listing.Text();
    return 0;
}
