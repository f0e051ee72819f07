#include "unrar32/options.h"

#include <array>

#include "common/result.h"

namespace quorvex6::backend::unrar32 {

namespace {

// "-y" (assume yes) changes nothing: nothing is ever asked.
constexpr std::array<SwitchRule, 6> kSwitches = {{
    {"-x"},
    {"-e"},
    {"-t"},
    {"-u"},
    {"-i"},
    {"-y"},
}};

}  // namespace

std::span<const SwitchRule> Switches() { return kSwitches; }

Options ReadOptions(const ParsedCommand& cmd) {
    int actions = cmd.Has("-x") + cmd.Has("-e") + cmd.Has("-t");
    if (actions != 1) throw Failure(result::kBadCommand, "say one of -x, -e and -t");
    Options o;
    o.action = cmd.Has("-t") ? Action::kTest : Action::kExtract;
    o.folder_parts = !cmd.Has("-e");
    o.only_newer = cmd.Has("-u");
    o.progress = !cmd.Has("-i");
    return o;
}

}  // namespace quorvex6::backend::unrar32
