#include "platform/locale_numbers.h"

#include <langinfo.h>
#include <locale.h>

#include "platform/codepage.h"

namespace quorvex6::platform {
namespace {

NumberSeparators ReadSeparators() {
    NumberSeparators separators{u",", u"."};
    locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr)) return separators;
    const char* thousands = nl_langinfo_l(THOUSEP, user);
    const char* decimal = nl_langinfo_l(RADIXCHAR, user);
    if (thousands != nullptr && *thousands != '\0') separators.thousands = FromSystem(thousands);
    if (decimal != nullptr && *decimal != '\0') separators.decimal = FromSystem(decimal);
    freelocale(user);
    return separators;
}

}  // namespace

const NumberSeparators& UserNumberSeparators() {
    // Read once per thread: the environment's locale does not change under a running host.
    thread_local const NumberSeparators separators = ReadSeparators();
    return separators;
}

}  // namespace quorvex6::platform
