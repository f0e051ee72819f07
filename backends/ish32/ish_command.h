// The command lines the control hands to Ish: "/s FILE VARIANT /f=FOLDER" encodes FILE, and
// "/r|/a [free text] FILE /f=FOLDER" restores the files of the text FILE. Paths come unquoted,
// blanks and all, and on POSIX begin with '/', so the line cannot go through the shared
// tokenizer: switches are known words at either end, the folder everything after "/f=".
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "codecs/ish/variant.h"

namespace quorvex6::backend::ish32 {

enum class IshAction {
    kEncode,
    kRestoreNewer,  // only files missing, or older than the header's time
    kRestoreAll,    // every file, over what is there
};

struct IshCommand {
    IshAction action = IshAction::kEncode;
    codecs::ish::Variant variant = codecs::ish::Variant::kJis8;
    std::string file;
    std::string folder;  // "" is the current folder
};

// Throws Failure(0x801C) for a line without an action, with both actions, or with an unknown
// switch (a leading word that looks like one, when the name without it is a file that exists);
// 0x8019 for a line without a file.
IshCommand ParseIshCommand(std::string_view line,
                           const std::function<bool(const std::string&)>& exists);

}  // namespace quorvex6::backend::ish32
