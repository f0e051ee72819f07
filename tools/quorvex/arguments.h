// A small option parser: long options only ("--name VALUE" or "--name=VALUE", flags without a
// value), "--" ends the options, everything else is an operand. Unknown options and missing
// values are usage errors.
#pragma once
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::cli {

struct OptionRule {
    std::string_view name;         // with its dashes: "--base"
    std::string_view placeholder;  // "DIR"; empty for a flag
    std::string_view help;
};

class Arguments {
  public:
    // A repeated option keeps its last value.
    static Arguments Parse(std::span<const std::string_view> args,
                           std::span<const OptionRule* const> options);

    bool Has(std::string_view option) const { return values_.contains(std::string(option)); }
    std::optional<std::string> Value(std::string_view option) const;
    const std::vector<std::string>& operands() const { return operands_; }

  private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> operands_;
};

// One aligned help line per option: "  --name PLACEHOLDER  help".
std::string OptionHelp(std::span<const OptionRule* const> options);

}  // namespace quorvex::cli
