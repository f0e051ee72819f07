// What the quorvex program reads from users and files: script lines, names, the first bytes of
// archives whose kind it guesses, and names from archives that its table shows.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "kinds.h"
#include "listing_format.h"
#include "platform/utf8.h"
#include "script_parser.h"
#include "text.h"

using namespace quorvex::cli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start <= bytes.size();) {
        const size_t end = std::min(bytes.find('\n', start), bytes.size());
        (void)ParseStatement(bytes.substr(start, end - start));
        start = end + 1;
    }
    // Well-formed UTF-8 survives the trip through the control's strings unchanged.
    if (const auto text = FromUtf8(bytes); text && ToUtf8(*text) != bytes) std::abort();
    // Any bytes of a NAME reach the library unchanged.
    if (quorvex6::platform::EncodeUtf8KeepingBytes(NameFromBytes(bytes)) != bytes) std::abort();
    (void)DisplayWidth(bytes);
    // No control character of a name reaches the terminal.
    ListingRow row;
    row.fill(std::string(bytes));
    for (const char c : FormatTable({row})) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F) std::abort();
    }
    for (const Kind& kind : Kinds()) (void)kind.bid(std::span(data, size));
    return 0;
}
