#include "common/command_line.h"

#include <algorithm>

#include "common/file_system.h"
#include "common/result.h"

namespace quorvex6::backend {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool EndsInSeparator(std::string_view s) {
    return !s.empty() && (s.back() == '/' || s.back() == '\\');
}

std::string Slashes(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

const SwitchRule* FindSwitch(std::span<const SwitchRule> table, std::string_view token,
                             std::string* value) {
    for (const SwitchRule& rule : table) {
        switch (rule.arg) {
            case SwitchArg::kNone:
                if (token == rule.name) return &rule;
                break;
            case SwitchArg::kEquals:
                if (token.size() > rule.name.size() &&
                    token.substr(0, rule.name.size()) == rule.name &&
                    token[rule.name.size()] == '=') {
                    *value = std::string(token.substr(rule.name.size() + 1));
                    return &rule;
                }
                break;
            case SwitchArg::kSuffix:
                if (token.substr(0, rule.name.size()) == rule.name) {
                    *value = std::string(token.substr(rule.name.size()));
                    return &rule;
                }
                break;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<Token> Tokenize(std::string_view line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) break;
        Token token;
        token.quoted = line[i] == '"';
        bool in_quotes = false;
        while (i < line.size() && (in_quotes || !IsBlank(line[i]))) {
            if (line[i] == '"') {
                in_quotes = !in_quotes;
            } else {
                token.text += line[i];
            }
            ++i;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

std::vector<std::string> ParseResponseText(std::string_view text) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
        while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
            line = line.substr(1, line.size() - 2);
        if (!line.empty()) names.emplace_back(line);
        start = end + 1;
    }
    return names;
}

bool ParsedCommand::Has(std::string_view name) const {
    return std::any_of(switches.begin(), switches.end(),
                       [&](const Switch& s) { return s.name == name; });
}

std::optional<std::string> ParsedCommand::Value(std::string_view name) const {
    for (auto it = switches.rbegin(); it != switches.rend(); ++it)
        if (it->name == name) return it->value;
    return std::nullopt;
}

ParsedCommand ParseCommand(std::string_view line, const CommandSyntax& syntax) {
    ParsedCommand parsed;
    std::vector<Token> tokens = Tokenize(line);
    size_t first = 0;
    if (!syntax.command_words.empty()) {
        if (tokens.empty() || tokens[0].quoted ||
            std::find(syntax.command_words.begin(), syntax.command_words.end(), tokens[0].text) ==
                syntax.command_words.end())
            throw Failure(result::kBadCommand, "no command: " + std::string(line));
        parsed.command = tokens[0].text;
        first = 1;
    }
    int positional = 0;
    for (size_t i = first; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (!token.quoted && token.text.size() > 1 &&
            syntax.switch_chars.find(token.text[0]) != std::string_view::npos) {
            std::string value;
            const SwitchRule* rule = FindSwitch(syntax.switches, token.text, &value);
            if (rule == nullptr) throw Failure(result::kBadCommand, "unknown switch " + token.text);
            parsed.switches.push_back({std::string(rule->name), std::move(value)});
            continue;
        }
        if (token.text.empty()) continue;
        if (positional == 0) {
            parsed.archive = token.text;
        } else if (positional == 1 && EndsInSeparator(token.text)) {
            parsed.folder = Slashes(token.text);
        } else if (token.text.size() > 1 &&
                   syntax.response_chars.find(token.text[0]) != std::string_view::npos) {
            std::string text;
            if (!ReadSmallFile(token.text.substr(1), &text))
                throw Failure(result::kResponseFile,
                              "cannot read response file " + token.text.substr(1));
            for (std::string& name : ParseResponseText(text))
                parsed.names.push_back(Slashes(std::move(name)));
        } else {
            parsed.names.push_back(Slashes(token.text));
        }
        ++positional;
    }
    return parsed;
}

}  // namespace quorvex6::backend
