#include "listing_format.h"

#include <algorithm>
#include <cstdio>

#include "text.h"

namespace quorvex::cli {
namespace {

// The table shows sizes first and the name last, so that wide names do not push columns.
constexpr Column kTableOrder[] = {kOrgSize, kPackedSize, kRatio, kDate, kTime,
                                  kAttr,    kType,       kCrc,   kPath, kFileName};

bool RightAligned(Column column) {
    return column == kOrgSize || column == kPackedSize || column == kRatio;
}

// Sizes arrive formatted with the user's thousands separator ("" for 0); the total keeps
// that separator.
long long SizeValue(const std::string& text) {
    long long value = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') value = value * 10 + (c - '0');
    }
    return text.starts_with('-') ? -value : value;
}

std::string SeparatorOf(const std::vector<ListingRow>& rows) {
    for (const ListingRow& row : rows) {
        for (Column column : {kOrgSize, kPackedSize}) {
            const std::string& text = row[column];
            const auto digit =
                std::find_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
            const auto other =
                std::find_if(digit, text.end(), [](char c) { return c < '0' || c > '9'; });
            if (other != text.end()) {
                const auto next =
                    std::find_if(other, text.end(), [](char c) { return c >= '0' && c <= '9'; });
                return std::string(other, next);
            }
        }
    }
    return ",";
}

std::string Grouped(long long value, const std::string& separator) {
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string out = value < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out.push_back(digits[i]);
    }
    return out;
}

std::string Padded(const std::string& text, size_t width, bool right) {
    const size_t shown = DisplayWidth(text);
    const std::string pad(width > shown ? width - shown : 0, ' ');
    return right ? pad + text : text + pad;
}

std::string TrimmedRight(std::string line) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += "\"\"";
        else
            out.push_back(c);
    }
    return out + "\"";
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

}  // namespace

std::string FormatTable(const std::vector<ListingRow>& stored) {
    std::vector<ListingRow> rows = stored;
    for (ListingRow& row : rows) {
        for (std::string& cell : row) cell = TerminalText(cell);
    }
    ListingRow header;
    for (size_t c = 0; c < kColumnNames.size(); ++c) header[c] = kColumnNames[c];

    long long original = 0;
    long long packed = 0;
    for (const ListingRow& row : rows) {
        original += SizeValue(row[kOrgSize]);
        packed += SizeValue(row[kPackedSize]);
    }
    const std::string separator = SeparatorOf(rows);
    ListingRow total;
    total[kOrgSize] = Grouped(original, separator);
    total[kPackedSize] = Grouped(packed, separator);
    char ratio[32];
    std::snprintf(
        ratio, sizeof ratio, "%.1f%%",
        original == 0 ? 0.0 : 100.0 * static_cast<double>(packed) / static_cast<double>(original));
    total[kRatio] = ratio;
    total[kDate] = std::to_string(rows.size()) + (rows.size() == 1 ? " entry" : " entries");

    std::array<size_t, 10> width{};
    for (Column c : kTableOrder) {
        width[c] = std::max(DisplayWidth(header[c]), c == kDate ? 0 : DisplayWidth(total[c]));
    }
    for (const ListingRow& row : rows) {
        for (Column c : kTableOrder) width[c] = std::max(width[c], DisplayWidth(row[c]));
    }

    const auto line = [&](const ListingRow& row, bool spanLast) {
        std::string text;
        for (Column c : kTableOrder) {
            if (!text.empty()) text += "  ";
            // The total line's count runs on past the date column.
            text += (spanLast && c == kDate) ? row[c] : Padded(row[c], width[c], RightAligned(c));
            if (spanLast && c == kDate) break;
        }
        return TrimmedRight(text) + "\n";
    };
    std::string out = line(header, false);
    for (const ListingRow& row : rows) out += line(row, false);
    ListingRow rule;
    for (Column c : {kOrgSize, kPackedSize, kRatio}) rule[c] = std::string(width[c], '-');
    out += line(rule, false);
    out += line(total, true);
    return out;
}

std::string FormatCsv(const std::vector<ListingRow>& rows) {
    std::string out;
    for (size_t c = 0; c < kColumnNames.size(); ++c)
        out += (c ? "," : "") + std::string(kColumnNames[c]);
    out += "\n";
    for (const ListingRow& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) out += (c ? "," : "") + CsvField(row[c]);
        out += "\n";
    }
    return out;
}

std::string FormatJson(const std::vector<ListingRow>& rows) {
    if (rows.empty()) return "[]\n";
    std::string out = "[\n";
    for (size_t r = 0; r < rows.size(); ++r) {
        out += "  {";
        for (size_t c = 0; c < kColumnNames.size(); ++c) {
            out += (c ? ", " : "") + JsonString(std::string(kColumnNames[c])) + ": " +
                   JsonString(rows[r][c]);
        }
        out += r + 1 < rows.size() ? "},\n" : "}\n";
    }
    return out + "]\n";
}

}  // namespace quorvex::cli
