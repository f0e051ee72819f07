// Fields of one header read in order, each checked against the header's end: a field that
// would run past it is a broken header, never a read outside.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "io/byte_order.h"
#include "io/fault.h"

namespace quorvex6::backend::rar {

class FieldReader {
  public:
    FieldReader(std::span<const std::uint8_t> bytes, std::string what)
        : bytes_(bytes), what_(std::move(what)) {}

    std::uint8_t U8() { return *Take(1); }
    std::uint16_t U16() { return io::Le16(Take(2)); }
    std::uint32_t U32() { return io::Le32(Take(4)); }
    std::uint64_t U64() { return io::Le64(Take(8)); }
    // RAR 5.0's variable-length integer: 7 bits a byte, low first, high bit "more follow".
    std::uint64_t Vint() {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < 10; ++i) {
            std::uint8_t b = U8();
            if (i == 9 && b > 1) Fail("a number past 64 bits");
            value |= static_cast<std::uint64_t>(b & 0x7F) << (7 * i);
            if ((b & 0x80) == 0) return value;
        }
        Fail("a number past 64 bits");
    }
    std::span<const std::uint8_t> Bytes(std::uint64_t n) {
        if (n > left()) Fail("a field past its end");
        const std::uint8_t* p = Take(static_cast<std::size_t>(n));
        return {p, static_cast<std::size_t>(n)};
    }
    std::string Text(std::uint64_t n) {
        auto b = Bytes(n);
        return std::string(b.begin(), b.end());
    }
    void Skip(std::uint64_t n) { Bytes(n); }
    std::size_t left() const { return bytes_.size() - pos_; }
    std::size_t pos() const { return pos_; }

    [[noreturn]] void Fail(const std::string& why) const {
        throw io::Error(io::Fault::kBrokenHeader, what_ + ": " + why);
    }

  private:
    const std::uint8_t* Take(std::size_t n) {
        if (n > left()) Fail("cut short");
        const std::uint8_t* p = bytes_.data() + pos_;
        pos_ += n;
        return p;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    std::string what_;
};

}  // namespace quorvex6::backend::rar
