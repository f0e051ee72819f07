#include "unlha32/options.h"

#include <array>

#include "common/result.h"

namespace quorvex6::backend::unlha32 {

using backend::SwitchArg;
using backend::SwitchRule;

namespace {

// Longer names first: matching is by prefix.
constexpr std::array<SwitchRule, 12> kSwitches = {{
    {"-jm", SwitchArg::kSuffix},
    {"-jp", SwitchArg::kSuffix},
    {"-jw", SwitchArg::kSuffix},
    {"-gw", SwitchArg::kSuffix},
    {"-+"},
    {"-r", SwitchArg::kSuffix},
    {"-x", SwitchArg::kSuffix},
    {"-a", SwitchArg::kSuffix},
    {"-c", SwitchArg::kSuffix},
    {"-f", SwitchArg::kSuffix},
    {"-n", SwitchArg::kSuffix},
    {"-m", SwitchArg::kSuffix},
}};

constexpr std::array<std::string_view, 8> kCommands = {"u", "a", "e", "x", "l", "t", "d", "s"};

// The methods of -jm0..-jm4, in switch order.
constexpr std::array<const char*, 5> kMethods = {"lh0", "lh1", "lh5", "lh6", "lh7"};

[[noreturn]] void BadSwitch(const std::string& name, const std::string& value) {
    throw backend::Failure(backend::result::kBadCommand, "bad switch " + name + value);
}

// "" and "1" mean on, "0" off, as the family writes its switches; anything else is refused.
bool OnOff(const std::string& name, const std::string& value) {
    if (value.empty() || value == "1" || value == "+") return true;
    if (value == "0" || value == "-") return false;
    BadSwitch(name, value);
}

}  // namespace

std::span<const SwitchRule> Switches() { return kSwitches; }
std::span<const std::string_view> CommandWords() { return kCommands; }

Options ReadOptions(const backend::ParsedCommand& cmd) {
    Options o;
    o.folder_parts = cmd.command != "e";
    for (const backend::Switch& s : cmd.switches) {
        const std::string& v = s.value;
        if (s.name == "-r") {
            if (v != "0" && v != "1" && v != "2" && !v.empty()) BadSwitch(s.name, v);
            o.recursive = v != "0";
            o.recursion_given = true;
        } else if (s.name == "-x") {
            o.folder_parts = OnOff(s.name, v);
        } else if (s.name == "-a") {
            o.include_hidden = OnOff(s.name, v);
        } else if (s.name == "-c") {
            o.check_time = !OnOff(s.name, v);
        } else if (s.name == "-f") {
            o.check_space = !OnOff(s.name, v);
        } else if (s.name == "-n") {
            if (OnOff(s.name, v)) o.progress = false;
        } else if (s.name == "-gw" || s.name == "-jw") {
            // Self-extractor kinds: plain or "3"; s answers before switches are read.
            if (!v.empty() && v != "3") BadSwitch(s.name, v);
        } else if (s.name == "-jp") {
            o.progress = OnOff(s.name, v);
        } else if (s.name == "-jm") {
            if (v.size() != 1 || v[0] < '0' || v[0] > '4') BadSwitch(s.name, v);
            o.method = kMethods[static_cast<size_t>(v[0] - '0')];
        } else if (s.name == "-m") {
            OnOff(s.name, v);  // messages: accepted, the log is always kept
        }
    }
    return o;
}

}  // namespace quorvex6::backend::unlha32
