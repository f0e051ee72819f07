// The failure channel of property calls and list methods: an automation error carrying the
// platform's standard number. The control supplies only the number.
#pragma once
#include <cstdint>
#include <stdexcept>

#include "quorvex6/export.h"

namespace quorvex6 {

namespace automation {
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kInvalidPropertyValue = 380;
inline constexpr int32_t kReadOnlyProperty = 383;
inline constexpr int32_t kNoSuchMember = 438;
inline constexpr int32_t kWrongArgumentCount = 450;
}  // namespace automation

class QUORVEX6_API AutomationError : public std::runtime_error {
  public:
    explicit AutomationError(int32_t number);
    int32_t number() const { return number_; }

  private:
    int32_t number_;
};

}  // namespace quorvex6
