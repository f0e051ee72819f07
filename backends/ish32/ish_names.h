// Names between files and ISH texts. The header holds an 8.3 name; the full name travels only
// in the free-form first line, which anyone can write, so it is trusted only when it is what
// the header's name was made from.
#pragma once
#include <string>
#include <string_view>

#include "codecs/ish/file_info.h"

namespace quorvex6::backend::ish32 {

// The first line's name when the header's short form of it is the header's name (compared
// without regard to case), else the header's name. Either still passes the extraction rules.
std::string RestoredName(const codecs::ish::FileInfo& info);

// `name` in `folder` ("" is the current folder; a final '/' may be there or not).
std::string InFolder(const std::string& folder, const std::string& name);

// "BASE.ish" for the file `path`: its last part without its extension.
std::string TextNameFor(std::string_view path);

}  // namespace quorvex6::backend::ish32
