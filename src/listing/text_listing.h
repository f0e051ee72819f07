// What the two text listers share: the library's printed listing in a fixed buffer, the NUL
// rule, the two heading lines, lines ended by a line feed only, the separator line and the
// peeling of space-separated columns off a line's right end.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex6::listing::text {

inline constexpr uint32_t kBufferSize = 21060;  // characters handed to the library
inline constexpr int16_t kMaxEntries = 257;     // a printed listing yields indices 0..256 at most

// The buffer's text up to its first NUL; a buffer that is full or starts with a NUL is taken
// whole with a last line "[More...]". The first two lines are dropped.
std::u16string PreparedText(std::u16string_view buffer);

// The text still to be read, one line at a time.
class Lines {
  public:
    explicit Lines(std::u16string_view text) : rest_(text) {}
    // The text before the next line feed. Running out of line feeds where a line must be taken
    // is a trapped failure: the listing was cut short.
    std::u16string_view Take();
    // Take, trimmed; the rest of the text is trimmed too.
    std::u16string_view TakeTrimmed();

  private:
    std::u16string_view rest_;
};

// Fourteen hyphens at the start of a line end the entries.
bool IsSeparator(std::u16string_view line);

// Without leading and trailing spaces (only the space character).
std::u16string_view Trim(std::u16string_view text);

// The column after the last space of line; line keeps what precedes it, trimmed. A line with
// no space gives "" and stays as it is.
std::u16string Peel(std::u16string_view& line);

}  // namespace quorvex6::listing::text
