#include "arguments.h"

#include <algorithm>

#include "usage_error.h"

namespace quorvex::cli {
namespace {

const OptionRule* Find(std::span<const OptionRule* const> options, std::string_view name) {
    for (const OptionRule* option : options) {
        if (option->name == name) return option;
    }
    return nullptr;
}

std::string Lead(const OptionRule& option) {
    std::string lead(option.name);
    if (!option.placeholder.empty()) lead.append(" ").append(option.placeholder);
    return lead;
}

}  // namespace

Arguments Arguments::Parse(std::span<const std::string_view> args,
                           std::span<const OptionRule* const> options) {
    Arguments parsed;
    bool operandsOnly = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (operandsOnly || !arg.starts_with("--")) {
            parsed.operands_.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            operandsOnly = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        const OptionRule* option = Find(options, name);
        if (option == nullptr) throw UsageError("unknown option " + std::string(name));
        std::string value;
        if (option->placeholder.empty()) {
            if (equals != std::string_view::npos) {
                throw UsageError(std::string(name) + " takes no value");
            }
        } else if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            throw UsageError(std::string(name) + " needs " + std::string(option->placeholder));
        }
        parsed.values_[std::string(name)] = std::move(value);
    }
    return parsed;
}

std::optional<std::string> Arguments::Value(std::string_view option) const {
    const auto found = values_.find(std::string(option));
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

std::string OptionHelp(std::span<const OptionRule* const> options) {
    size_t width = 0;
    for (const OptionRule* option : options) width = std::max(width, Lead(*option).size());
    std::string text;
    for (const OptionRule* option : options) {
        const std::string lead = Lead(*option);
        text += "  " + lead + std::string(width - lead.size() + 2, ' ') +
                std::string(option->help) + "\n";
    }
    return text;
}

}  // namespace quorvex::cli
