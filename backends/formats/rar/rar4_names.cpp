#include "formats/rar/rar4_names.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/code_page.h"
#include "io/text.h"

namespace quorvex6::backend::rar {

namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Utf8Of(const std::vector<std::uint16_t>& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t c = units[i];
        if (c == 0) break;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// The compressed UTF-16 form: a high byte used by some units, then groups of four 2-bit
// opcodes, each a unit with high byte 0, one with the stored high byte, one of two whole
// bytes, or a run taken from the plain name (optionally shifted by a correction byte).
std::vector<std::uint16_t> ExpandUnicode(std::span<const std::uint8_t> plain,
                                         std::span<const std::uint8_t> packed) {
    std::vector<std::uint16_t> out;
    if (packed.empty()) return out;
    const std::size_t limit = plain.size() + packed.size() * 4;  // no form gives more
    std::uint8_t high = packed[0];
    std::size_t pos = 1;
    unsigned flags = 0;
    int flag_bits = 0;
    auto next = [&]() -> std::optional<std::uint8_t> {
        if (pos >= packed.size()) return std::nullopt;
        return packed[pos++];
    };
    while (pos < packed.size() && out.size() < limit) {
        if (flag_bits == 0) {
            flags = packed[pos++];
            flag_bits = 8;
        }
        flag_bits -= 2;
        switch ((flags >> flag_bits) & 3) {
            case 0: {
                auto b = next();
                if (!b) return out;
                out.push_back(*b);
                break;
            }
            case 1: {
                auto b = next();
                if (!b) return out;
                out.push_back(static_cast<std::uint16_t>(*b | (high << 8)));
                break;
            }
            case 2: {
                auto lo = next();
                auto hi = next();
                if (!lo || !hi) return out;
                out.push_back(static_cast<std::uint16_t>(*lo | (*hi << 8)));
                break;
            }
            default: {
                auto length = next();
                if (!length) return out;
                std::optional<std::uint8_t> correction;
                if (*length & 0x80) {
                    correction = next();
                    if (!correction) return out;
                }
                for (int n = (*length & 0x7F) + 2; n > 0 && out.size() < plain.size(); --n) {
                    std::uint8_t c = plain[out.size()];
                    out.push_back(correction ? static_cast<std::uint16_t>(
                                                   ((c + *correction) & 0xFF) | (high << 8))
                                             : c);
                }
                break;
            }
        }
    }
    return out;
}

}  // namespace

std::string DecodeRar4Name(std::span<const std::uint8_t> stored, bool unicode) {
    auto nul = std::find(stored.begin(), stored.end(), 0);
    std::string plain(stored.begin(), nul);
    if (!unicode) return DecodeLegacyName(plain);
    if (nul == stored.end()) return io::IsValidUtf8(plain) ? plain : DecodeLegacyName(plain);
    auto plain_bytes = stored.first(static_cast<std::size_t>(nul - stored.begin()));
    auto packed = stored.subspan(plain_bytes.size() + 1);
    std::string name = Utf8Of(ExpandUnicode(plain_bytes, packed));
    return name.empty() ? DecodeLegacyName(plain) : name;
}

}  // namespace quorvex6::backend::rar
