#include "codecs/rar3/filter_queue.h"

#include <array>

namespace quorvex6::backend::codecs::rar3 {

namespace {

// The bits of a filter record, most significant first; zeros past its end, noted.
class RecordBits {
  public:
    explicit RecordBits(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint32_t Bits(unsigned n) {
        std::uint32_t v = 0;
        for (unsigned i = 0; i < n; ++i, ++pos_) {
            std::size_t at = pos_ >> 3;
            unsigned bit = at < bytes_.size() ? (bytes_[at] >> (7 - (pos_ & 7))) & 1 : 0;
            v = (v << 1) | bit;
        }
        return v;
    }
    // The variable-length numbers of the machine's records: 4, 8, 16 or 32 bits, by a 2-bit
    // prefix; a small 8-bit one stands for a negative number.
    std::uint32_t Number() {
        switch (Bits(2)) {
            case 0:
                return Bits(4);
            case 1: {
                std::uint32_t v = Bits(8);
                if (v >= 16) return v;
                return 0xFFFFFF00u | (v << 4) | Bits(4);
            }
            case 2:
                return Bits(16);
            default:
                return Bits(32);
        }
    }
    void SkipBytes(std::uint32_t n) { pos_ += std::uint64_t{n} * 8; }
    bool overrun() const { return pos_ > std::uint64_t{bytes_.size()} * 8; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::uint64_t pos_ = 0;
};

constexpr std::uint32_t kMaxProgramSize = 0x10000;
constexpr std::uint32_t kMaxGlobalData = 0x2000;

}  // namespace

void FilterQueue::Clear() {
    pending_.clear();
    programs_.clear();
    last_program_ = 0;
}

bool FilterQueue::Add(std::uint8_t flags, std::span<const std::uint8_t> body, const Position& at) {
    RecordBits bits(body);
    std::size_t number = last_program_;
    if (flags & 0x80) {
        number = bits.Number();
        if (number == 0) {
            Clear();
        } else {
            --number;
        }
        if (number > programs_.size()) return false;
        last_program_ = number;
    }
    bool known = number < programs_.size();
    std::uint64_t start = at.written + bits.Number();
    if (flags & 0x40) start += 258;
    std::uint32_t length = 0;
    if (flags & 0x20) {
        length = bits.Number();
    } else if (known) {
        length = programs_[number].last_length;
    }
    std::array<std::uint32_t, 7> registers{};
    if (flags & 0x10) {
        std::uint32_t mask = bits.Bits(7);
        for (unsigned i = 0; i < registers.size(); ++i)
            if (mask & (1u << i)) registers[i] = bits.Number();
    }
    if (!known) {
        std::uint32_t size = bits.Number();
        if (size == 0 || size > kMaxProgramSize || programs_.size() >= kMaxPrograms) return false;
        std::vector<std::uint8_t> code(size);
        for (std::uint8_t& b : code) b = static_cast<std::uint8_t>(bits.Bits(8));
        std::optional<FilterKind> kind = IdentifyProgram(code);
        if (!kind || bits.overrun()) return false;
        programs_.push_back(Program{*kind});
    }
    Program& program = programs_[number];
    program.last_length = length;
    if (flags & 0x08) {
        std::uint32_t global_size = bits.Number();
        if (global_size > kMaxGlobalData) return false;
        bits.SkipBytes(global_size);  // the standard programs read none of it
    }
    if (bits.overrun() || length < 4 || length > kMaxFilterLength || start < at.flushed ||
        start + length > at.file_end || pending_.size() >= kMaxPending)
        return false;
    pending_.push_back(Filter{program.kind, start, length,
                              static_cast<std::uint32_t>(start - at.file_start), registers[0],
                              registers[1]});
    return true;
}

}  // namespace quorvex6::backend::codecs::rar3
