// The subcommands: each a thin layer that sets the control's properties and calls one
// operation. The table gives every subcommand's synopsis, summary and options, from which the
// help is made.
#pragma once
#include <span>
#include <string_view>
#include <vector>

#include "arguments.h"

namespace quorvex::cli {

struct Command {
    std::string_view name;
    std::string_view synopsis;  // what follows "quorvex NAME"
    std::string_view summary;
    std::vector<const OptionRule*> (*options)();
    int (*run)(const Arguments& args);  // the exit status
};

std::span<const Command> Commands();
const Command* CommandNamed(std::string_view name);

std::vector<const OptionRule*> PackOptions();
int RunPack(const Arguments& args);
std::vector<const OptionRule*> ExtractOptions();
int RunExtract(const Arguments& args);
std::vector<const OptionRule*> ListOptions();
int RunList(const Arguments& args);
std::vector<const OptionRule*> SfxOptions();
int RunSfx(const Arguments& args);
std::vector<const OptionRule*> VersionOptions();
int RunVersion(const Arguments& args);
std::vector<const OptionRule*> AboutOptions();
int RunAbout(const Arguments& args);
std::vector<const OptionRule*> ScriptOptions();
int RunScriptCommand(const Arguments& args);

}  // namespace quorvex::cli
