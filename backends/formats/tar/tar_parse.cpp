#include "formats/tar/tar_parse.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace quorvex6::backend::tar {

namespace {

std::string_view Text(BlockView block, Field f) {
    std::string_view text(reinterpret_cast<const char*>(block.data()) + f.offset, f.length);
    return text.substr(0, text.find('\0'));
}

// Octal with leading and trailing blanks or NULs, or base-256 (first byte 0x80 or 0xFF).
// Signed, as GNU tar writes times before 1970 in base-256.
std::optional<int64_t> Number(BlockView block, Field f) {
    auto p = block.subspan(f.offset, f.length);
    if (p[0] == 0x80 || p[0] == 0xFF) {
        bool negative = p[0] == 0xFF;
        uint64_t value = negative ? ~uint64_t{0} : 0;
        for (size_t i = 1; i < p.size(); ++i) {
            if ((value >> 56) != (negative ? 0xFFu : 0u)) return std::nullopt;  // would overflow
            value = (value << 8) | p[i];
        }
        if (negative != (static_cast<int64_t>(value) < 0)) return std::nullopt;
        return static_cast<int64_t>(value);
    }
    size_t i = 0;
    while (i < p.size() && (p[i] == ' ' || p[i] == 0)) ++i;
    uint64_t value = 0;
    for (; i < p.size() && p[i] >= '0' && p[i] <= '7'; ++i) {
        if (value >> 60) return std::nullopt;
        value = (value << 3) | static_cast<uint64_t>(p[i] - '0');
    }
    for (; i < p.size(); ++i)
        if (p[i] != ' ' && p[i] != 0) return std::nullopt;
    return static_cast<int64_t>(value);
}

std::optional<uint64_t> Size(BlockView block, Field f) {
    auto n = Number(block, f);
    if (!n || *n < 0) return std::nullopt;
    return static_cast<uint64_t>(*n);
}

// The block's bytes summed eight at a time, in 16-bit lanes that cannot overflow over 512 bytes.
uint32_t SumOfBlock(BlockView block) {
    constexpr uint64_t kLow = 0x00FF00FF00FF00FF;
    uint64_t lanes = 0;
    for (size_t i = 0; i < kBlock; i += 8) {
        uint64_t word;
        std::memcpy(&word, block.data() + i, 8);
        lanes += (word & kLow) + ((word >> 8) & kLow);
    }
    return static_cast<uint32_t>((lanes & 0xFFFF) + ((lanes >> 16) & 0xFFFF) +
                                 ((lanes >> 32) & 0xFFFF) + (lanes >> 48));
}

// Summed as if the checksum field held blanks; the signed sum only when the usual one fails.
bool ChecksumHolds(BlockView block) {
    auto stored = Number(block, kChecksum);
    if (!stored) return false;
    const size_t from = kChecksum.offset, to = kChecksum.offset + kChecksum.length;
    uint32_t sum = SumOfBlock(block) + kChecksum.length * ' ';
    for (size_t i = from; i < to; ++i) sum -= block[i];
    if (*stored == sum) return true;
    int32_t signed_sum = kChecksum.length * ' ';  // some old writers summed signed chars
    for (size_t i = 0; i < kBlock; ++i)
        if (i < from || i >= to) signed_sum += static_cast<int8_t>(block[i]);
    return *stored == signed_sum;
}

bool ParsePieces(BlockView block, size_t offset, size_t count, std::vector<Piece>& pieces) {
    for (size_t i = 0; i < count; ++i) {
        size_t at = offset + i * kGnuPieceBytes;
        if (block[at] == 0) break;  // unused slots are empty
        auto piece_offset = Size(block, {at, 12}), size = Size(block, {at + 12, 12});
        if (!piece_offset || !size || pieces.size() >= kMaxSparsePieces) return false;
        pieces.push_back({*piece_offset, *size});
    }
    return true;
}

// The whole text as one decimal number.
template <typename T>
std::optional<T> Decimal(std::string_view text) {
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || text.empty() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<int64_t> PaxTime(std::string_view text) {
    size_t dot = text.find('.');
    std::string_view whole = text.substr(0, dot);
    if (whole.empty() || whole == "-") return 0;  // "-.5" and ".5": within a second of 1970
    return Decimal<int64_t>(whole);
}

std::optional<uint64_t> WholeDecimal(std::string_view text) { return Decimal<uint64_t>(text); }

bool AddMapText(std::string_view text, Overrides& out) {
    size_t start = 0;
    std::optional<uint64_t> offset;
    while (start <= text.size()) {
        size_t comma = std::min(text.find(',', start), text.size());
        auto value = WholeDecimal(text.substr(start, comma - start));
        if (!value) return false;
        if (offset) {
            if (out.sparse_map.size() >= kMaxSparsePieces) return false;
            out.sparse_map.push_back({*offset, *value});
            offset.reset();
        } else {
            offset = value;
        }
        start = comma + 1;
    }
    return !offset;
}

bool ApplyRecord(std::string_view key, std::string_view value, Overrides& out) {
    if (key == "path") {
        out.name = std::string(value);
    } else if (key == "linkpath") {
        out.link = std::string(value);
    } else if (key == "hdrcharset") {
        out.binary_names = value == "BINARY";
    } else if (key == "size") {
        if (!(out.size = WholeDecimal(value))) return false;
    } else if (key == "mtime") {
        if (!(out.mtime = PaxTime(value))) return false;
    } else if (key == "GNU.sparse.size" || key == "GNU.sparse.realsize") {
        out.sparse = true;
        if (!(out.sparse_size = WholeDecimal(value))) return false;
    } else if (key == "GNU.sparse.name") {
        out.sparse = true;
        out.sparse_name = std::string(value);
    } else if (key == "GNU.sparse.major") {
        out.sparse = true;
        if (value != "1") return false;
        out.sparse_map_in_data = true;
    } else if (key == "GNU.sparse.map") {
        out.sparse = true;
        return AddMapText(value, out);
    } else if (key == "GNU.sparse.offset") {
        out.sparse = true;
        if (out.pending_offset || !(out.pending_offset = WholeDecimal(value))) return false;
    } else if (key == "GNU.sparse.numbytes") {
        auto size = WholeDecimal(value);
        if (!out.pending_offset || !size || out.sparse_map.size() >= kMaxSparsePieces) return false;
        out.sparse_map.push_back({*out.pending_offset, *size});
        out.pending_offset.reset();
    }
    return true;
}

}  // namespace

bool IsZeroBlock(BlockView block) {
    return std::all_of(block.begin(), block.end(), [](uint8_t b) { return b == 0; });
}

std::optional<Header> ParseHeader(BlockView block) {
    if (!ChecksumHolds(block)) return std::nullopt;
    Header h;
    h.type = static_cast<char>(block[kType.offset]);
    auto mode = Number(block, kMode);
    auto size = Size(block, kSize);
    auto mtime = Number(block, kMtime);
    if (!mode || !size || !mtime) return std::nullopt;
    h.mode = static_cast<uint32_t>(*mode & 07777);
    h.size = *size;
    h.mtime = *mtime;
    h.name = std::string(Text(block, kName));
    h.link = std::string(Text(block, kLink));
    auto version = block.subspan(kVersion.offset, kVersion.length);
    if (Text(block, kMagic) == kUstarMagic.substr(0, 5) &&
        std::equal(version.begin(), version.end(), kUstarVersion.begin())) {
        std::string_view prefix = Text(block, kPrefix);
        if (!prefix.empty()) h.name = std::string(prefix) + "/" + h.name;
    } else if (h.type ==
               typeflag::kGnuSparse) {  // old GNU: the map and the whole size live in the header
        auto real = Size(block, kGnuRealSize);
        if (!real || !ParsePieces(block, kGnuSparseMap.offset, kGnuHeaderPieces, h.pieces))
            return std::nullopt;
        h.real_size = *real;
        h.extended = block[kGnuIsExtended.offset] != 0;
    }
    return h;
}

bool ParseSparseExtension(BlockView block, std::vector<Piece>& pieces, bool& extended) {
    extended = block[kGnuExtensionIsExtended.offset] != 0;
    return ParsePieces(block, 0, kGnuExtensionPieces, pieces);
}

bool ParsePaxRecords(std::string_view records, Overrides& out) {
    while (!records.empty()) {
        size_t space = records.find(' ');
        if (space == std::string_view::npos) return false;
        auto length = WholeDecimal(records.substr(0, space));
        if (!length || *length <= space + 1 || *length > records.size() ||
            records[*length - 1] != '\n')
            return false;
        std::string_view record = records.substr(space + 1, *length - space - 2);
        records.remove_prefix(*length);
        size_t equals = record.find('=');
        if (equals == std::string_view::npos || equals == 0) return false;
        if (!ApplyRecord(record.substr(0, equals), record.substr(equals + 1), out)) return false;
    }
    return true;
}

std::optional<uint64_t> ParseSparseMapLines(std::string_view text, std::vector<Piece>& pieces,
                                            bool& done) {
    pieces.clear();
    done = true;
    size_t at = 0;
    auto line = [&]() -> std::optional<uint64_t> {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            done = text.size() - at > 20;  // no number is that long: malformed, not cut
            return std::nullopt;
        }
        auto value = WholeDecimal(text.substr(at, end - at));
        at = end + 1;
        return value;
    };
    auto count = line();
    if (!count) return std::nullopt;
    if (*count > kMaxSparsePieces) return std::nullopt;
    for (uint64_t i = 0; i < *count; ++i) {
        auto offset = line();
        if (!offset) return std::nullopt;
        auto size = line();
        if (!size) return std::nullopt;
        pieces.push_back({*offset, *size});
    }
    return (at + kBlock - 1) / kBlock * kBlock;
}

bool SparseMapHolds(const std::vector<Piece>& pieces, uint64_t real_size, uint64_t stored) {
    uint64_t end = 0, total = 0;
    for (const Piece& p : pieces) {
        if (p.offset < end || p.size > real_size || p.offset > real_size - p.size) return false;
        end = p.offset + p.size;
        total += p.size;
    }
    return total == stored;
}

std::optional<uint64_t> Bid(std::span<const uint8_t> head) {
    if (head.size() < kBlock || !ParseHeader(head.first<kBlock>())) return std::nullopt;
    return 0;
}

}  // namespace quorvex6::backend::tar
