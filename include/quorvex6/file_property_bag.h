// A property bag kept in a text file, so that a host can keep a control's settings beside its
// program and a person can read and edit them.
//
// The file is UTF-8 (a leading byte-order mark is allowed), one item a line, lines ending in LF
// or CR LF:
//
//     # a comment: blank lines and lines whose first non-blank character is '#' are kept
//     ArcMode = 3&
//     LevelLZX = 21
//     swDialog = False
//     swCommand = "  -x \"a b\"\t"
//
// A key is any text without blanks, control characters, '=' or '"' that does not start with
// '#'; each key appears once; keys are matched exactly. Blanks around '=' do not count. A value
// is one of
//     3, -12          a 16-bit integer (a plain number outside 16 bits is a 32-bit integer)
//     3&              a 32-bit integer
//     True, False     a boolean (either case)
//     Empty           no value (either case)
//     "text"          a string; \" \\ \t \n \r and \uXXXX (one UTF-16 unit) are its escapes
// No line holds a control character other than a tab. Rewriting a file keeps its comments,
// blank lines and the keys the control does not know, in their places.
#pragma once
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

#include "quorvex6/export.h"
#include "quorvex6/property_bag.h"

namespace quorvex6 {

// A file that is not in the format above; line() counts from 1.
class QUORVEX6_API PropertyFileError : public std::runtime_error {
  public:
    PropertyFileError(size_t line, const std::string& reason);
    size_t line() const { return line_; }

  private:
    size_t line_;
};

namespace persistence {
class PropertyText;
}

class QUORVEX6_API FilePropertyBag : public PropertyBag {
  public:
    // Settings files are small; a larger file is refused rather than read into memory.
    static constexpr size_t kMaxFileBytes = size_t{1} << 20;

    // Reads the file at path; a missing file gives an empty bag. Throws PropertyFileError for a
    // malformed line, std::runtime_error for a file that cannot be read or exceeds kMaxFileBytes.
    explicit FilePropertyBag(std::u16string path);
    ~FilePropertyBag() override;
    FilePropertyBag(FilePropertyBag&&) noexcept;
    FilePropertyBag& operator=(FilePropertyBag&&) noexcept;

    Variant Read(const std::u16string& key, const Variant& def) override;
    // A value equal to def removes the key (see MemoryPropertyBag::Write). Throws
    // std::invalid_argument for a key the format cannot hold.
    void Write(const std::u16string& key, const Variant& value, const Variant& def) override;

    // Writes the bag to its file: a new file beside it, renamed over it when complete, so that
    // a failure or a crash leaves the previous file whole. Throws std::runtime_error.
    void Commit() const;

  private:
    std::u16string path_;
    std::unique_ptr<persistence::PropertyText> text_;
};

}  // namespace quorvex6
