#include "ish32/ish_command.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "common/result.h"

namespace quorvex6::backend::ish32 {

namespace {

using codecs::ish::Variant;

struct SwitchWord {
    std::string_view word;           // without its '/' or '-'
    std::optional<Variant> variant;  // an encoding switch and the variant it names
};

// The control's "/s" is JIS8, as its property names it.
constexpr std::array<SwitchWord, 6> kSwitchWords = {{{"s", Variant::kJis8},
                                                     {"ss", Variant::kShiftJis},
                                                     {"s7", Variant::kJis7},
                                                     {"sn", Variant::kNonKana},
                                                     {"r", std::nullopt},
                                                     {"a", std::nullopt}}};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool LooksLikeSwitch(std::string_view word) {
    return word.size() > 1 && (word[0] == '/' || word[0] == '-');
}

const SwitchWord* FindSwitch(std::string_view word) {
    if (!LooksLikeSwitch(word)) return nullptr;
    std::string lower(word.substr(1));
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const SwitchWord& known : kSwitchWords)
        if (known.word == lower) return &known;
    return nullptr;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string Unquote(std::string_view text) {
    text = Trim(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return std::string(text);
}

// Where "/f=" (or "-f=", either case) begins a word for the last time; npos when it does not.
size_t FolderSwitchAt(std::string_view line) {
    for (size_t at = line.size(); at-- > 0;) {
        if ((line[at] == '/' || line[at] == '-') && at + 2 < line.size() &&
            (line[at + 1] == 'f' || line[at + 1] == 'F') && line[at + 2] == '=' &&
            (at == 0 || IsBlank(line[at - 1])))
            return at;
    }
    return std::string_view::npos;
}

class SwitchTally {
  public:
    void Take(const SwitchWord& word) {
        if (word.variant) {
            variant_ = *word.variant;
            encode_ = true;
        } else {
            restore_ = word.word == "r" ? IshAction::kRestoreNewer : IshAction::kRestoreAll;
        }
    }
    IshCommand Command() const {
        if (encode_ == restore_.has_value())
            throw Failure(result::kBadCommand, encode_ ? "both an encoding and a restore switch"
                                                       : "no /s, /ss, /s7, /sn, /r or /a");
        IshCommand command;
        command.action = restore_.value_or(IshAction::kEncode);
        command.variant = variant_;
        return command;
    }

  private:
    bool encode_ = false;
    Variant variant_ = Variant::kJis8;
    std::optional<IshAction> restore_;
};

}  // namespace

IshCommand ParseIshCommand(std::string_view line,
                           const std::function<bool(const std::string&)>& exists) {
    std::string folder;
    if (size_t at = FolderSwitchAt(line); at != std::string_view::npos) {
        folder = Unquote(line.substr(at + 3));
        line = line.substr(0, at);
    }
    SwitchTally tally;
    // Switches at the start...
    std::string_view rest = Trim(line);
    while (!rest.empty()) {
        size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end])) ++end;
        const SwitchWord* word = FindSwitch(rest.substr(0, end));
        if (word == nullptr) break;
        tally.Take(*word);
        rest = Trim(rest.substr(end));
    }
    // ... and at the end, where the control puts the variant of an encoding.
    while (!rest.empty()) {
        size_t start = rest.size();
        while (start > 0 && !IsBlank(rest[start - 1])) --start;
        const SwitchWord* word = start > 0 ? FindSwitch(rest.substr(start)) : nullptr;
        if (word == nullptr) break;
        tally.Take(*word);
        rest = Trim(rest.substr(0, start));
    }
    IshCommand command = tally.Command();
    command.folder = std::move(folder);
    command.file = Unquote(rest);
    if (command.file.empty()) throw Failure(result::kNoArchiveName, "no file name");
    size_t blank = rest.find(' ');
    if (blank != std::string_view::npos && LooksLikeSwitch(rest.substr(0, blank)) &&
        !exists(command.file) && exists(Unquote(rest.substr(blank))))
        throw Failure(result::kBadCommand, "unknown switch " + std::string(rest.substr(0, blank)));
    return command;
}

}  // namespace quorvex6::backend::ish32
