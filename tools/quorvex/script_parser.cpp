#include "script_parser.h"

#include <cctype>

#include "text.h"

namespace quorvex::cli {
namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

// A cursor over one line; every reader skips the blanks before what it reads.
class Cursor {
  public:
    explicit Cursor(std::string_view line) : rest_(line) {}

    void SkipBlanks() {
        while (!rest_.empty() && Blank(rest_.front())) rest_.remove_prefix(1);
    }
    bool AtEnd() {
        SkipBlanks();
        return rest_.empty();
    }
    std::string_view Rest() {
        SkipBlanks();
        std::string_view rest = rest_;
        while (!rest.empty() && Blank(rest.back())) rest.remove_suffix(1);
        rest_ = {};
        return rest;
    }
    // Letters, digits and '_' (the names of verbs and members).
    std::string_view Word() {
        SkipBlanks();
        size_t n = 0;
        while (n < rest_.size() &&
               (std::isalnum(static_cast<unsigned char>(rest_[n])) || rest_[n] == '_'))
            ++n;
        return Take(n);
    }
    bool NextIs(char c) {
        SkipBlanks();
        return !rest_.empty() && rest_.front() == c;
    }
    bool Accept(char c) {
        if (rest_.empty() || rest_.front() != c) return false;
        rest_.remove_prefix(1);
        return true;
    }
    std::optional<long long> Integer() {
        SkipBlanks();
        size_t n = (!rest_.empty() && rest_.front() == '-') ? 1 : 0;
        while (n < rest_.size() && rest_[n] >= '0' && rest_[n] <= '9') ++n;
        return ParseDecimal(Take(n));
    }
    std::optional<std::u16string> QuotedString() {
        SkipBlanks();
        if (!Accept('"')) return std::nullopt;
        std::string bytes;
        for (;;) {
            if (rest_.empty()) return std::nullopt;
            const char c = rest_.front();
            rest_.remove_prefix(1);
            if (c != '"') {
                bytes.push_back(c);
            } else if (Accept('"')) {
                bytes.push_back('"');
            } else {
                return FromUtf8(bytes);
            }
        }
    }
    std::optional<ScriptValue> Value() {
        SkipBlanks();
        if (rest_.starts_with('"')) {
            auto text = QuotedString();
            if (!text) return std::nullopt;
            return ScriptValue(std::move(*text));
        }
        if (rest_.starts_with('-') ||
            (!rest_.empty() && rest_.front() >= '0' && rest_.front() <= '9')) {
            const auto number = Integer();
            if (!number) return std::nullopt;
            return ScriptValue(*number);
        }
        const std::string_view word = Word();
        if (word == "True") return ScriptValue(true);
        if (word == "False") return ScriptValue(false);
        return std::nullopt;
    }

  private:
    std::string_view Take(size_t n) {
        const std::string_view taken = rest_.substr(0, n);
        rest_.remove_prefix(n);
        return taken;
    }
    std::string_view rest_;
};

// NAME or NAME(INDEX), with no blank before the parenthesis.
bool ReadTarget(Cursor& cursor, Statement& statement, bool indexAllowed) {
    const std::string_view word = cursor.Word();
    if (word.empty()) return false;
    statement.name = *FromUtf8(word);  // a word is ASCII
    if (!indexAllowed || !cursor.Accept('(')) return true;
    statement.index = cursor.Integer();
    cursor.SkipBlanks();
    return statement.index.has_value() && cursor.Accept(')');
}

}  // namespace

std::optional<Statement> ParseStatement(std::string_view line) {
    if (line.ends_with('\r')) line.remove_suffix(1);
    Cursor cursor(line);
    Statement statement;
    if (cursor.AtEnd()) return statement;
    if (cursor.Accept('#')) return statement;
    const std::string_view verb = cursor.Word();
    using Verb = Statement::Verb;
    if (verb == "set") {
        statement.verb = Verb::Set;
        if (!ReadTarget(cursor, statement, true)) return std::nullopt;
        statement.value = cursor.Value();
        if (!statement.value) return std::nullopt;
    } else if (verb == "get") {
        statement.verb = Verb::Get;
        if (!ReadTarget(cursor, statement, true)) return std::nullopt;
    } else if (verb == "call") {
        statement.verb = Verb::Call;
        if (!ReadTarget(cursor, statement, false)) return std::nullopt;
        if (!cursor.AtEnd()) {
            statement.value = cursor.Value();
            if (!statement.value) return std::nullopt;
        }
    } else if (verb == "new") {
        statement.verb = Verb::New;
    } else if (verb == "use") {
        statement.verb = Verb::Use;
        const auto number = cursor.Integer();
        if (!number) return std::nullopt;
        statement.instance = *number;
    } else if (verb == "load" || verb == "save") {
        statement.verb = verb == "load" ? Verb::Load : Verb::Save;
        if (cursor.NextIs('"')) {
            const auto name = cursor.QuotedString();
            if (!name) return std::nullopt;
            statement.file = ToUtf8(*name);
        } else {
            statement.file = cursor.Rest();
        }
        if (statement.file.empty()) return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (!cursor.AtEnd()) return std::nullopt;
    return statement;
}

}  // namespace quorvex::cli
