// The text IshFileList prints, as the control's ISH lister reads it: two heading lines, a
// separator of hyphens, then per file its name on one line and "SIZE DATE TIME TYPE" on the
// next, and a closing separator.
//
// The listing must fit the caller's buffer with its NUL. When it does not, it ends after the
// last file whose two lines still fit beside the closing separator: a cut listing is a whole
// listing of the first files, never a line cut in two.
#pragma once
#include <cstdint>
#include <string>

#include "codecs/ish/reader.h"

namespace quorvex6::backend::ish32 {

class FileListing {
  public:
    explicit FileListing(size_t capacity);  // bytes the text may take, its NUL aside

    // False when the file no longer fits; the listing is then complete as it stands.
    bool Add(const codecs::ish::FileInfo& info);
    bool cut() const { return cut_; }
    // Empty when not even the headings fit.
    std::string Text() const;

  private:
    size_t capacity_;
    std::string entries_;
    bool cut_ = false;
};

}  // namespace quorvex6::backend::ish32
