// The control's settings kept in a file property bag (--props, --save-props, and the script
// host's load and save).
#pragma once
#include <stdexcept>
#include <string>

#include "quorvex6/control.h"

namespace quorvex::cli {

// Why a settings file could not be used; number() is the automation error a script sees
// (53 file not found, 75 file access error, 380 a malformed file).
class SettingsError : public std::runtime_error {
  public:
    SettingsError(int number, const std::string& what)
        : std::runtime_error(what), number_(number) {}
    int number() const { return number_; }

  private:
    int number_;
};

// Loads the control from an existing file, as a container loads a saved control.
void LoadSettings(quorvex6::Quorvex6& control, const std::string& path);
// Saves the control's persisted properties; other keys and comments in the file stay.
void SaveSettings(const quorvex6::Quorvex6& control, const std::string& path);

}  // namespace quorvex::cli
