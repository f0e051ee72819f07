// The value a script host hands the control and gets back: what an automation VARIANT carries
// for this interface (nothing, 16- or 32-bit integers, booleans as -1/0, strings).
#pragma once
#include <cstdint>
#include <string>
#include <variant>

#include "quorvex6/export.h"

namespace quorvex6 {

// A 16-bit boolean, True -1 and False 0. A host may hand any other 16-bit value; it is kept as
// given, and counts as on.
struct Boolean {
    constexpr Boolean() = default;
    constexpr Boolean(bool on) : bits(on ? int16_t{-1} : int16_t{0}) {}
    static constexpr Boolean Stored(int16_t bits) {
        Boolean b;
        b.bits = bits;
        return b;
    }
    constexpr bool on() const { return bits != 0; }
    friend bool operator==(Boolean, Boolean) = default;

    int16_t bits = 0;
};

enum class VarType { Empty, I2, I4, Bool, String };

class QUORVEX6_API Variant {
  public:
    Variant() = default;
    Variant(int16_t v) : value_(v) {}
    Variant(int32_t v) : value_(v) {}
    Variant(Boolean v) : value_(v) {}
    Variant(std::u16string v) : value_(std::move(v)) {}
    Variant(const char16_t* v) : value_(std::u16string(v)) {}

    VarType type() const { return static_cast<VarType>(value_.index()); }
    bool is_empty() const { return type() == VarType::Empty; }
    int16_t i2() const { return std::get<int16_t>(value_); }
    int32_t i4() const { return std::get<int32_t>(value_); }
    bool boolean() const { return std::get<Boolean>(value_).on(); }
    int16_t booleanBits() const { return std::get<Boolean>(value_).bits; }
    const std::u16string& str() const { return std::get<std::u16string>(value_); }

    // Conversions as the host's language performs them; they throw AutomationError
    // 13 (type mismatch) or 6 (overflow).
    int16_t ToI2() const;
    int32_t ToI4() const;
    bool ToBool() const;
    // The 16-bit boolean: a boolean's own bits, anything else -1 or 0.
    int16_t ToBoolean() const;
    std::u16string ToStr() const;

    friend bool operator==(const Variant&, const Variant&) = default;

  private:
    std::variant<std::monostate, int16_t, int32_t, Boolean, std::u16string> value_;
};

}  // namespace quorvex6
