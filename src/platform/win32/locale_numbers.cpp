#include "platform/locale_numbers.h"

#include <windows.h>

namespace quorvex6::platform {
namespace {

std::u16string LocaleText(LCTYPE what, const char16_t* fallback) {
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, what, buffer, 8) <= 1) return fallback;
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

}  // namespace

const NumberSeparators& UserNumberSeparators() {
    thread_local const NumberSeparators separators{LocaleText(LOCALE_STHOUSAND, u","),
                                                   LocaleText(LOCALE_SDECIMAL, u".")};
    return separators;
}

}  // namespace quorvex6::platform
