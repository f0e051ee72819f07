#include "script_host.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quorvex6/automation_error.h"
#include "quorvex6/control.h"
#include "script_parser.h"
#include "settings.h"
#include "text.h"
#include "usage_error.h"

namespace quorvex::cli {
namespace {

using quorvex6::AutomationError;
using quorvex6::InvokeKind;
using quorvex6::Quorvex6;
using quorvex6::Variant;

// What a failure outside the control's own errors (a file error while an operation prepares)
// reports: "invalid procedure call".
constexpr int kOtherFailure = 5;

// Integers travel as a script host's literals do: 16 bits when they fit, else 32.
Variant IntegerVariant(long long value) {
    if (value >= INT16_MIN && value <= INT16_MAX) return Variant(static_cast<int16_t>(value));
    if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int32_t>(value));
    throw AutomationError(quorvex6::automation::kOverflow);
}

Variant ToVariant(const ScriptValue& value) {
    if (const auto* number = std::get_if<long long>(&value)) return IntegerVariant(*number);
    if (const auto* flag = std::get_if<bool>(&value)) return Variant(quorvex6::Boolean{*flag});
    return Variant(std::get<std::u16string>(value));
}

std::string Shown(const Variant& value) {
    switch (value.type()) {
        case quorvex6::VarType::Empty:
            return "";
        case quorvex6::VarType::I2:
            return std::to_string(value.i2());
        case quorvex6::VarType::I4:
            return std::to_string(value.i4());
        case quorvex6::VarType::Bool:
            return value.boolean() ? "True" : "False";
        case quorvex6::VarType::String:
            return ToUtf8(value.str());
    }
    return "";
}

class Host {
  public:
    Host(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
        instances_.push_back(Quorvex6::CreateNew());
    }

    void Run(const Statement& statement, size_t line) {
        try {
            Execute(statement);
        } catch (const AutomationError& e) {
            out_ << "error " << e.number() << "\n";
        } catch (const SettingsError& e) {
            err_ << "quorvex: script line " << line << ": " << e.what() << "\n";
            out_ << "error " << e.number() << "\n";
        } catch (const std::exception& e) {
            err_ << "quorvex: script line " << line << ": " << e.what() << "\n";
            out_ << "error " << kOtherFailure << "\n";
        }
    }

  private:
    std::vector<Variant> Arguments(const Statement& statement) const {
        std::vector<Variant> args;
        if (statement.index) args.push_back(IntegerVariant(*statement.index));
        if (statement.value) args.push_back(ToVariant(*statement.value));
        return args;
    }

    void Execute(const Statement& statement) {
        using Verb = Statement::Verb;
        Quorvex6& control = *instances_[current_];
        switch (statement.verb) {
            case Verb::Nothing:
                return;
            case Verb::Set:
                control.Invoke(statement.name, InvokeKind::Put, Arguments(statement));
                return;
            case Verb::Get:
                out_ << Shown(control.Invoke(statement.name, InvokeKind::Get, Arguments(statement)))
                     << "\n";
                return;
            case Verb::Call:
                control.Invoke(statement.name, InvokeKind::Method, Arguments(statement));
                return;
            case Verb::New:
                instances_.push_back(Quorvex6::CreateNew());
                current_ = instances_.size() - 1;
                return;
            case Verb::Use:
                if (statement.instance < 1 ||
                    statement.instance > static_cast<long long>(instances_.size())) {
                    throw AutomationError(quorvex6::automation::kSubscriptOutOfRange);
                }
                current_ = static_cast<size_t>(statement.instance - 1);
                return;
            case Verb::Load:
                LoadSettings(control, statement.file);
                return;
            case Verb::Save:
                SaveSettings(control, statement.file);
                return;
        }
    }

    std::ostream& out_;
    std::ostream& err_;
    std::vector<std::unique_ptr<Quorvex6>> instances_;
    size_t current_ = 0;
};

}  // namespace

int RunScript(std::istream& in, std::ostream& out, std::ostream& err) {
    Host host(out, err);
    std::string line;
    for (size_t number = 1; std::getline(in, line); ++number) {
        const auto statement = ParseStatement(line);
        if (!statement) {
            out.flush();
            err << "syntax error at line " << number << "\n";
            return kExitUsage;
        }
        host.Run(*statement, number);
        out.flush();
    }
    return kExitSuccess;
}

}  // namespace quorvex::cli
