// What the recording fake archiver library and the tests that script it agree on. The fake
// reads its script from $QV_FAKE_DIR/script at each call (reparsed only when the file changed)
// and appends one line per call to $QV_FAKE_DIR/calls.log. Every value in either file is hex
// so that any byte survives.
//
// Script lines:
//   return ENTRY N      the entry point ENTRY answers N (default: 0; versions 100; checks 1;
//                       opens 1; finds walk the queued records)
//   print ENTRY HEX     bytes the command or IshFileList writes into its output buffer (cut to
//   size) entry PREFIX HEX    a 558-byte record queued for PREFIXFindFirst / PREFIXFindNext
// Log lines: space-separated key=HEX pairs: entry, hwnd, command, size, mode, pattern, cwd,
// and list (once per @ or ! list file named on the command line: its content during the call).
#pragma once
#include <string>
#include <string_view>

namespace quorvex6::fake {

inline std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out.push_back(kDigits[c >> 4]);
        out.push_back(kDigits[c & 15]);
    }
    return out;
}

inline std::string Unhex(std::string_view hex) {
    const auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
    }
    return out;
}

}  // namespace quorvex6::fake
