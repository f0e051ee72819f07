#include "command_support.h"

#include <cstdio>

#include "settings.h"
#include "text.h"
#include "usage_error.h"

namespace quorvex::cli {

const OptionRule kKindOption{"--kind", "KIND",
                             "lha zip cab arj ish tar rar (default: by name or content)"};
const OptionRule kPropsOption{"--props", "FILE", "load the control's settings from FILE first"};
const OptionRule kSavePropsOption{"--save-props", "FILE",
                                  "save the control's settings to FILE after"};
const OptionRule kHelpOption{"--help", "", "show this help"};

std::u16string ControlText(const std::string& utf8, const std::string& what) {
    const auto text = FromUtf8(utf8);
    if (!text) throw UsageError(what + " is not UTF-8");
    return *text;
}

namespace {

std::string Absolute(const std::string& name) {
    return std::filesystem::absolute(name).lexically_normal().string();
}

void RefuseQuote(const std::string& path) {
    if (path.find('"') != std::string::npos) {
        throw UsageError(path + ": a path holding a double quote cannot be handed to the library");
    }
}

}  // namespace

std::u16string AbsoluteName(const std::string& name) { return ControlText(Absolute(name), name); }

std::u16string CommandPath(const std::string& name) {
    const std::string absolute = Absolute(name);
    RefuseQuote(absolute);
    return ControlText(absolute, name);
}

std::u16string CurrentFolder() {
    const std::string folder = std::filesystem::current_path().string();
    RefuseQuote(folder);
    return ControlText(folder, "the current folder");
}

std::u16string CommandName(const std::string& name) {
    RefuseQuote(name);
    return NameFromBytes(name);
}

const Kind& KindOption(const std::string& value) {
    if (const Kind* kind = KindNamed(value)) return *kind;
    std::string names;
    for (const Kind& kind : Kinds()) {
        names += names.empty() ? "" : (kind.arcMode == Kinds().back().arcMode ? " or " : ", ");
        names += kind.name;
    }
    throw UsageError("--kind takes " + names);
}

namespace {

const Kind& KindFor(const Arguments& args, const std::string& archive,
                    const quorvex6::Quorvex6& control) {
    if (const auto name = args.Value(kKindOption.name)) return KindOption(*name);
    if (const Kind* kind = KindFromName(archive)) return *kind;
    std::error_code error;
    if (std::filesystem::is_regular_file(archive, error)) {
        if (const Kind* kind = KindFromContent(archive)) return *kind;
    }
    if (args.Has(kPropsOption.name)) {
        if (const Kind* kind = KindOfArcMode(control.get_ArcMode())) return *kind;
    }
    throw UsageError("cannot tell the kind of " + archive + "; give --kind");
}

}  // namespace

std::unique_ptr<quorvex6::Quorvex6> PrepareControl(const Arguments& args,
                                                   const std::string& archive) {
    auto control = quorvex6::Quorvex6::CreateNew();
    if (const auto file = args.Value(kPropsOption.name)) {
        try {
            LoadSettings(*control, *file);
        } catch (const SettingsError& e) {
            throw UsageError(std::string("--props: ") + e.what());
        }
    }
    control->put_ArcMode(KindFor(args, archive, *control).arcMode);
    return control;
}

const std::string& ArchiveOperand(const Arguments& args, bool moreAllowed) {
    if (args.operands().empty()) throw UsageError("no ARCHIVE given");
    if (!moreAllowed && args.operands().size() > 1) {
        throw UsageError("unexpected operand " + args.operands()[1]);
    }
    return args.operands().front();
}

int SaveRequestedSettings(const quorvex6::Quorvex6& control, const Arguments& args, int status) {
    const auto file = args.Value(kSavePropsOption.name);
    if (!file) return status;
    try {
        SaveSettings(control, *file);
    } catch (const SettingsError& e) {
        std::fprintf(stderr, "quorvex: %s\n", e.what());
        return status == kExitSuccess ? kExitFailure : status;
    }
    return status;
}

}  // namespace quorvex::cli
