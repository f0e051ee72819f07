// The options that set the control's switch properties, under names a user understands. The
// table is the one place that says which option sets which property, for which subcommands,
// and with which help line; options are applied in table order, so that a level is checked
// against the method whichever came first on the command line.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "arguments.h"
#include "quorvex6/control.h"

namespace quorvex::cli {

enum Use : uint8_t { kForPack = 1, kForExtract = 2 };

struct SwitchOption {
    OptionRule rule;
    uint8_t uses;
    // Sets the property from the option's value; UsageError when the value is wrong.
    void (*apply)(quorvex6::Quorvex6& control, const std::string& value);
};

std::span<const SwitchOption> SwitchOptions();

// The rules of the switch options one subcommand takes, in table order.
std::vector<const OptionRule*> SwitchOptionRules(Use use);

// Applies every switch option present in args that the subcommand takes.
void ApplySwitches(quorvex6::Quorvex6& control, const Arguments& args, Use use);

}  // namespace quorvex::cli
