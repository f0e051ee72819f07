// The text of a property file (its format is described in quorvex6/file_property_bag.h): the
// lines in file order, entries parsed, blank and comment lines kept as they were.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvex6/variant.h"

namespace quorvex6::persistence {

struct PropertyLine {
    std::optional<std::u16string> key;  // none for a blank or comment line
    Variant value;
    std::string text;  // a blank or comment line as it was, without its line break
};

class PropertyText {
  public:
    // Throws PropertyFileError naming the first malformed line.
    static PropertyText Parse(std::string_view bytes);
    // LF line ends, no byte-order mark.
    std::string Format() const;

    const Variant* Find(std::u16string_view key) const;
    // Replaces the key's value in its line, or appends a line. Throws std::invalid_argument for
    // a key the format cannot hold.
    void Set(const std::u16string& key, Variant value);
    void Erase(std::u16string_view key);

    const std::vector<PropertyLine>& lines() const { return lines_; }

  private:
    std::vector<PropertyLine> lines_;
};

// The text of one value, as it follows "key = ".
std::string FormatValue(const Variant& value);

}  // namespace quorvex6::persistence
