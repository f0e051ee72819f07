#include "archivers/dynamic_symbols.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "io/byte_order.h"

namespace quorvex6::testing {
namespace {

using backend::io::Le16;
using backend::io::Le32;
using backend::io::Le64;

// ELF64 layout: the header's section-table fields, a section header's fields, a symbol's.
constexpr size_t kSectionTableOffset = 0x28;
constexpr size_t kSectionHeaderSize = 0x3A;
constexpr size_t kSectionCount = 0x3C;
constexpr size_t kTypeField = 4;
constexpr size_t kOffsetField = 24;
constexpr size_t kSizeField = 32;
constexpr size_t kLinkField = 40;
constexpr size_t kEntrySizeField = 56;
constexpr uint32_t kDynamicSymbols = 11;
constexpr uint32_t kDynamicSection = 6;
constexpr uint64_t kDynamicEntrySize = 16;
constexpr uint64_t kTagNull = 0;
constexpr uint64_t kTagNeeded = 1;
constexpr size_t kSymbolInfo = 4;
constexpr size_t kSymbolOther = 5;
constexpr size_t kSymbolSection = 6;
constexpr uint8_t kBindGlobal = 1;
constexpr uint8_t kBindWeak = 2;
constexpr uint8_t kBindUnique = 10;
constexpr uint8_t kVisibilityDefault = 0;
constexpr uint8_t kVisibilityProtected = 3;

struct Section {
    uint32_t type;
    uint64_t offset, size, entry_size;
    uint32_t link;
};

class Image {
  public:
    explicit Image(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), {});
        const std::string magic =
            "\x7f"
            "ELF";
        if (bytes_.size() < 0x40 || !std::equal(magic.begin(), magic.end(), bytes_.begin()) ||
            bytes_[4] != 2 || bytes_[5] != 1)
            throw std::runtime_error(path + ": not a little-endian 64-bit ELF object");
    }

    const uint8_t* At(uint64_t offset, uint64_t length) const {
        if (offset > bytes_.size() || length > bytes_.size() - offset)
            throw std::runtime_error("ELF object cut short");
        return bytes_.data() + offset;
    }

    Section SectionAt(uint32_t index) const {
        const uint8_t* table = At(0, 0x40);
        const uint16_t header_size = Le16(table + kSectionHeaderSize);
        if (index >= Le16(table + kSectionCount)) throw std::runtime_error("no such ELF section");
        const uint8_t* h =
            At(Le64(table + kSectionTableOffset) + uint64_t{index} * header_size, 64);
        return {Le32(h + kTypeField), Le64(h + kOffsetField), Le64(h + kSizeField),
                Le64(h + kEntrySizeField), Le32(h + kLinkField)};
    }

    uint32_t SectionCount() const { return Le16(At(0, 0x40) + kSectionCount); }

    // The NUL-ended string at `offset` in the string table `strings`.
    std::string StringAt(const Section& strings, uint64_t offset) const {
        if (offset >= strings.size) throw std::runtime_error("ELF string out of range");
        const std::string_view rest(
            reinterpret_cast<const char*>(At(strings.offset + offset, strings.size - offset)),
            strings.size - offset);
        return std::string(rest.substr(0, rest.find('\0')));
    }

  private:
    std::vector<uint8_t> bytes_;
};

}  // namespace

std::set<std::string> ExportedNames(const std::string& path) {
    const Image image(path);
    for (uint32_t i = 0; i < image.SectionCount(); ++i) {
        const Section symbols = image.SectionAt(i);
        if (symbols.type != kDynamicSymbols || symbols.entry_size < 24) continue;
        const Section strings = image.SectionAt(symbols.link);
        std::set<std::string> names;
        // Entry 0 is the null symbol.
        for (uint64_t at = symbols.entry_size; at + symbols.entry_size <= symbols.size;
             at += symbols.entry_size) {
            const uint8_t* symbol = image.At(symbols.offset + at, symbols.entry_size);
            const uint8_t bind = symbol[kSymbolInfo] >> 4;
            const uint8_t visibility = symbol[kSymbolOther] & 3;
            const bool defined = Le16(symbol + kSymbolSection) != 0;
            const bool global = bind == kBindGlobal || bind == kBindWeak || bind == kBindUnique;
            const bool visible =
                visibility == kVisibilityDefault || visibility == kVisibilityProtected;
            if (!defined || !global || !visible) continue;
            names.insert(image.StringAt(strings, Le32(symbol)));
        }
        return names;
    }
    throw std::runtime_error(path + ": no dynamic symbol table");
}

std::set<std::string> NeededLibraries(const std::string& path) {
    const Image image(path);
    for (uint32_t i = 0; i < image.SectionCount(); ++i) {
        const Section dynamic = image.SectionAt(i);
        if (dynamic.type != kDynamicSection) continue;
        const Section strings = image.SectionAt(dynamic.link);
        std::set<std::string> needed;
        for (uint64_t at = 0; at + kDynamicEntrySize <= dynamic.size; at += kDynamicEntrySize) {
            const uint8_t* entry = image.At(dynamic.offset + at, kDynamicEntrySize);
            const uint64_t tag = Le64(entry);
            if (tag == kTagNull) break;
            if (tag == kTagNeeded) needed.insert(image.StringAt(strings, Le64(entry + 8)));
        }
        return needed;
    }
    throw std::runtime_error(path + ": no dynamic section");
}

}  // namespace quorvex6::testing
