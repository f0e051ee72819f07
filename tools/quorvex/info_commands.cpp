// `version` and `about`: the status queries and the about box, which touch no archive.
#include <cstdio>

#include "command_support.h"
#include "commands.h"
#include "quorvex6/message_sink.h"
#include "reporting.h"
#include "text.h"
#include "usage_error.h"

namespace quorvex::cli {
namespace {

// The same option as the operations', but version names no archive to take the kind from.
const OptionRule kVersionKind{"--kind", "KIND",
                              "lha zip cab arj ish tar rar: that kind only (default: every kind)"};

const char* Shown(int16_t flag) { return flag != 0 ? "True" : "False"; }

// The about box is the output of `about`, so its text goes to standard output.
struct StandardOutputSink : quorvex6::MessageSink {
    void ShowModal(const std::u16string& text) override {
        std::string bytes;
        for (char c : ToUtf8(text)) {
            if (c != '\r') bytes.push_back(c);
        }
        std::printf("%s\n", bytes.c_str());
    }
};

}  // namespace

std::vector<const OptionRule*> VersionOptions() { return {&kVersionKind, &kHelpOption}; }

int RunVersion(const Arguments& args) {
    std::vector<const Kind*> kinds;
    if (const auto name = args.Value(kVersionKind.name)) {
        kinds.push_back(&KindOption(*name));
    } else {
        for (const Kind& kind : Kinds()) kinds.push_back(&kind);
    }
    if (!args.operands().empty()) throw UsageError("unexpected operand " + args.operands().front());
    auto control = quorvex6::Quorvex6::CreateNew();
    for (const Kind* kind : kinds) {
        // A library that cannot be loaded answers 0 and says why in a message.
        MessageCapture capture;
        control->put_ArcMode(kind->arcMode);
        const int32_t version = control->get_Version();
        const int16_t running = control->get_Running();
        std::printf("%.*s Version %d\n%.*s Running %s\n", static_cast<int>(kind->name.size()),
                    kind->name.data(), static_cast<int>(version),
                    static_cast<int>(kind->name.size()), kind->name.data(), Shown(running));
        std::fflush(stdout);
        PrintMessages(capture.messages());
    }
    MessageCapture capture;
    std::printf("VersionZipJ %d\nRunningZipJ %s\n", static_cast<int>(control->get_VersionZipJ()),
                Shown(control->get_RunningZipJ()));
    std::fflush(stdout);
    PrintMessages(capture.messages());
    return kExitSuccess;
}

std::vector<const OptionRule*> AboutOptions() { return {&kHelpOption}; }

int RunAbout(const Arguments& args) {
    if (!args.operands().empty()) throw UsageError("unexpected operand " + args.operands().front());
    quorvex6::SetMessageSink(std::make_shared<StandardOutputSink>());
    quorvex6::Quorvex6::CreateNew()->AboutBox();
    quorvex6::SetMessageSink(nullptr);
    return kExitSuccess;
}

}  // namespace quorvex::cli
