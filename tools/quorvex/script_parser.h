// One line of the script host's language:
//     set NAME VALUE | set NAME(INDEX) VALUE | get NAME | get NAME(INDEX)
//     call NAME | call NAME VALUE | new | use N | load FILE | save FILE
// VALUE is a decimal integer (optionally negative), True or False, or a double-quoted string in
// which "" stands for one quote. FILE is a quoted string or the rest of the line. Blank lines
// and lines whose first non-blank character is '#' do nothing.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace quorvex::cli {

using ScriptValue = std::variant<long long, bool, std::u16string>;

struct Statement {
    enum class Verb { Nothing, Set, Get, Call, New, Use, Load, Save };
    Verb verb = Verb::Nothing;
    std::u16string name;               // set, get, call
    std::optional<long long> index;    // set, get
    std::optional<ScriptValue> value;  // set (always), call (its argument)
    long long instance = 0;            // use
    std::string file;                  // load, save (UTF-8)
};

// nullopt for a malformed line.
std::optional<Statement> ParseStatement(std::string_view line);

}  // namespace quorvex::cli
