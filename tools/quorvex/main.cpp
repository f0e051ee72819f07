// quorvex: the command-line host of the Quorvex6 archive control.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"
#include "process_signals.h"
#include "quorvex6/automation_error.h"
#include "quorvex6/version.h"
#include "usage_error.h"

namespace quorvex::cli {
namespace {

constexpr std::string_view kScriptGrammar =
    "Lines: set NAME VALUE, set NAME(I) VALUE, get NAME, get NAME(I),\n"
    "call NAME [VALUE], new, use N, load FILE, save FILE; # comments.\n"
    "VALUE: 12, -3, True, False, \"text\".\n"
    "A failing line prints \"error N\"; a malformed one ends the script with status 2.\n";

void PrintProgramHelp() {
    std::printf(
        "usage: quorvex COMMAND [ARGS] [options]\n"
        "Drives the Quorvex6 archive control: LHA, ZIP, CAB, ARJ, ISH, TAR and RAR.\n\n"
        "Commands:\n");
    size_t width = 0;
    for (const Command& command : Commands()) {
        width = std::max(width, command.name.size() + 1 + command.synopsis.size());
    }
    for (const Command& command : Commands()) {
        std::string lead = std::string(command.name) + " " + std::string(command.synopsis);
        lead.resize(width, ' ');
        std::printf("  %s  %.*s\n", lead.c_str(), static_cast<int>(command.summary.size()),
                    command.summary.data());
    }
    std::printf(
        "\nOptions:\n"
        "  --help     this help; quorvex COMMAND --help for a command's options\n"
        "  --version  the program's version (only here, before any COMMAND)\n\n"
        "Exit status: 0 done, 1 an error (the control's or a file's), 2 a usage error.\n");
}

void PrintCommandHelp(const Command& command) {
    std::printf("usage: quorvex %.*s %.*s%s[options]\n%c%.*s.\n\nOptions:\n%s",
                static_cast<int>(command.name.size()), command.name.data(),
                static_cast<int>(command.synopsis.size()), command.synopsis.data(),
                command.synopsis.empty() ? "" : " ", std::toupper(command.summary.front()),
                static_cast<int>(command.summary.size() - 1), command.summary.data() + 1,
                OptionHelp(command.options()).c_str());
    if (command.name == "script")
        std::printf("\n%.*s", static_cast<int>(kScriptGrammar.size()), kScriptGrammar.data());
}

int UsageFailure(const std::string& hint, std::string_view command) {
    std::fprintf(stderr, "quorvex: %s (see: quorvex %s%s--help)\n", hint.c_str(),
                 std::string(command).c_str(), command.empty() ? "" : " ");
    return kExitUsage;
}

int Main(const std::vector<std::string_view>& args) {
    if (args.empty()) return UsageFailure("no command given", "");
    if (args.front() == "--help") {
        PrintProgramHelp();
        return kExitSuccess;
    }
    if (args.front() == "--version") {
        std::printf("quorvex %d.%d.%d\n", quorvex6::version::kMajor, quorvex6::version::kMinor,
                    quorvex6::version::kRevision);
        return kExitSuccess;
    }
    const Command* command = CommandNamed(args.front());
    if (command == nullptr) return UsageFailure("unknown command " + std::string(args.front()), "");
    try {
        const std::vector<const OptionRule*> options = command->options();
        const Arguments parsed = Arguments::Parse(std::span(args).subspan(1), options);
        if (parsed.Has("--help")) {
            PrintCommandHelp(*command);
            return kExitSuccess;
        }
        return command->run(parsed);
    } catch (const UsageError& e) {
        return UsageFailure(e.what(), command->name);
    } catch (const quorvex6::AutomationError& e) {
        std::fprintf(stderr, "quorvex: the control refused a value (automation error %d)\n",
                     static_cast<int>(e.number()));
        return kExitFailure;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex: %s\n", e.what());
        return kExitFailure;
    }
}

}  // namespace
}  // namespace quorvex::cli

int main(int argc, char** argv) {
    quorvex::cli::IgnoreFileSizeSignal();
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return quorvex::cli::Main(args);
}
