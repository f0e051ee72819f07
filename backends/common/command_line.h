// The command line every library receives: tokens split at blanks, double quotes group (and
// vanish), switches anywhere after the command word, then archive, an optional base or
// destination folder (the token after the archive when it ends in a separator) and names.
// Each library declares its switches as data (SwitchRule); anything else is a bad command.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex6::backend {

struct Token {
    std::string text;
    bool quoted = false;  // began with a double quote: never a switch
};

std::vector<Token> Tokenize(std::string_view line);

enum class SwitchArg {
    kNone,    // exactly the name: "-r", "--i"
    kEquals,  // name "=" value: "--use-directory=0"
    kSuffix,  // name followed directly by a value, possibly empty: "-jm2", "-v:1440"
};

struct SwitchRule {
    std::string_view name;
    SwitchArg arg = SwitchArg::kNone;
};

struct Switch {
    std::string name;   // the name as the switch table spells it
    std::string value;  // for kEquals and kSuffix
};

struct CommandSyntax {
    std::span<const SwitchRule> switches;
    std::span<const std::string_view> command_words;  // e.g. "u", "e"; empty when none
    std::string_view switch_chars = "-";              // ish32 adds '/'
    std::string_view response_chars = "@";            // unarj32j adds '!'
};

struct ParsedCommand {
    std::string command;  // the command word, "" when the library has none
    std::vector<Switch> switches;
    std::string archive;
    std::string folder;              // "" when none was given; else ends in '/'
    std::vector<std::string> names;  // response files already expanded; '\' turned into '/'

    bool Has(std::string_view name) const;
    std::optional<std::string> Value(std::string_view name) const;  // last occurrence wins
};

// Throws Failure: 0x801C for an unknown switch, 0x802A for a response file that cannot be read.
ParsedCommand ParseCommand(std::string_view line, const CommandSyntax& syntax);

// One name per line; CR LF or LF; blank lines skipped; a name may be in double quotes.
std::vector<std::string> ParseResponseText(std::string_view text);

}  // namespace quorvex6::backend
