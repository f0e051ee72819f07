#include "unarj32j/options.h"

#include <array>

#include "common/result.h"

namespace quorvex6::backend::unarj32j {

namespace {

// "-+" (ignore switches from the environment) changes nothing: the library reads none.
// "-hp1" asks for the gauge, shown anyway unless "-i" turns it off.
constexpr std::array<SwitchRule, 6> kSwitches = {{
    {"-+"},
    {"-hp", SwitchArg::kSuffix},
    {"-u"},
    {"-a"},
    {"-i"},
    {"-y"},
}};

constexpr std::array<std::string_view, 3> kCommands = {"x", "e", "t"};

}  // namespace

std::span<const SwitchRule> Switches() { return kSwitches; }
std::span<const std::string_view> CommandWords() { return kCommands; }

Options ReadOptions(const ParsedCommand& cmd) {
    Options o;
    o.folder_parts = cmd.command != "e";
    for (const Switch& s : cmd.switches) {
        if (s.name == "-hp" && s.value != "1" && !s.value.empty())
            throw Failure(result::kBadCommand, "bad switch -hp" + s.value);
        if (s.name == "-u") o.only_newer = true;
        if (s.name == "-a") o.restore_mode = false;
        if (s.name == "-i") o.progress = false;
    }
    return o;
}

}  // namespace quorvex6::backend::unarj32j
