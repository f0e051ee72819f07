// The listers that parse a listing the library prints: ZIP through UnZip "-l " (libraries
// before version 80) and ISH through IshFileList. Parse* take the library's whole output
// buffer after the table was restarted and throw TrappedFailure where the text is cut short.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex6::listing {

// Entry lines: name (spaces allowed), sizes, ratio, date, time, attributes, method, check
// value; stored as printed.
int32_t ParseZipTextListing(std::u16string_view buffer, int16_t& count);
int32_t ListZipText(const std::u16string& archive, int16_t& count);

// Two lines per entry: the name, then size, date, time and method.
int32_t ParseIshListing(std::u16string_view buffer, int16_t& count);
int32_t ListIsh(const std::u16string& archive, int16_t& count);

}  // namespace quorvex6::listing
