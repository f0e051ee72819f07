// What the quorvex program reads from users and files: script lines, UTF-8 names, and the
// first bytes of archives whose kind it guesses.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "kinds.h"
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
    (void)DisplayWidth(bytes);
    for (const Kind& kind : Kinds()) (void)kind.bid(std::span(data, size));
    return 0;
}
