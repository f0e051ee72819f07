#include "settings.h"

#include <filesystem>

#include "quorvex6/automation_error.h"
#include "quorvex6/file_property_bag.h"
#include "text.h"

namespace quorvex::cli {
namespace {

constexpr int kFileNotFound = 53;
constexpr int kFileAccess = 75;

std::u16string PathText(const std::string& path) {
    const auto text = FromUtf8(path);
    if (!text) throw SettingsError(kFileAccess, path + ": the name is not UTF-8");
    return *text;
}

}  // namespace

void LoadSettings(quorvex6::Quorvex6& control, const std::string& path) {
    // The bag reads a missing file as empty; a settings file the user named must be there.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw SettingsError(kFileNotFound, path + ": no such settings file");
    }
    if (error) throw SettingsError(kFileAccess, path + ": " + error.message());
    if (std::filesystem::is_directory(status)) {
        throw SettingsError(kFileAccess, path + ": a folder, not a settings file");
    }
    if (!std::filesystem::is_regular_file(status)) {
        throw SettingsError(kFileAccess, path + ": not a regular file");
    }
    const std::u16string name = PathText(path);
    try {
        quorvex6::FilePropertyBag bag(name);
        control.Load(bag);
    } catch (const quorvex6::PropertyFileError& e) {
        throw SettingsError(quorvex6::automation::kInvalidPropertyValue, path + ": " + e.what());
    } catch (const quorvex6::AutomationError& e) {
        throw SettingsError(e.number(), path + ": a value of the wrong type");
    } catch (const std::runtime_error& e) {
        throw SettingsError(kFileAccess, path + ": " + e.what());
    }
}

void SaveSettings(const quorvex6::Quorvex6& control, const std::string& path) {
    const std::u16string name = PathText(path);
    try {
        quorvex6::FilePropertyBag bag(name);
        control.Save(bag);
        bag.Commit();
    } catch (const quorvex6::PropertyFileError& e) {
        throw SettingsError(quorvex6::automation::kInvalidPropertyValue, path + ": " + e.what());
    } catch (const std::runtime_error& e) {
        throw SettingsError(kFileAccess, path + ": " + e.what());
    }
}

}  // namespace quorvex::cli
