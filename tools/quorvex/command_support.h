// What the operation subcommands share: the common options, the archive kind, names handed to
// the control, and the settings file on the way in and out.
#pragma once
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "arguments.h"
#include "kinds.h"
#include "quorvex6/control.h"

namespace quorvex::cli {

extern const OptionRule kKindOption;
extern const OptionRule kPropsOption;
extern const OptionRule kSavePropsOption;
extern const OptionRule kHelpOption;

// The control's strings, from UTF-8; UsageError naming what when it is not UTF-8.
std::u16string ControlText(const std::string& utf8, const std::string& what);
// The name made absolute: operations change the current folder while they run.
std::u16string AbsoluteName(const std::string& name);
// The same for a path the control puts on a library's command line, and the current folder as
// one; UsageError naming the path when it holds a double quote, which would end the quoted
// text there and change the command.
std::u16string CommandPath(const std::string& name);
std::u16string CurrentFolder();
// A NAME to pack or extract, whatever its bytes; UsageError when it holds a double quote.
std::u16string CommandName(const std::string& name);

// The kind a --kind value names; UsageError when it names none.
const Kind& KindOption(const std::string& value);

// A newly placed control with --props loaded, the kind set (--kind, the archive's name, its
// first bytes, or the loaded settings) and the archive known to the user as `archive`.
std::unique_ptr<quorvex6::Quorvex6> PrepareControl(const Arguments& args,
                                                   const std::string& archive);

// The one operand every operation needs; UsageError when missing or when more were given
// than allowed.
const std::string& ArchiveOperand(const Arguments& args, bool moreAllowed);

// Saves the settings when --save-props is given, once the outcome has been shown. A save that
// fails is reported as "quorvex: FILE: reason" and turns status 0 into 1; returns the status.
int SaveRequestedSettings(const quorvex6::Quorvex6& control, const Arguments& args, int status);

}  // namespace quorvex::cli
