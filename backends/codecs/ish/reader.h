// Reads the files of an ISH text one by one: next() finds a file's header (what a listing
// needs), decode() writes its bytes. Lines that do not decode are ignored wherever they stand.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "codecs/codec.h"
#include "codecs/ish/file_info.h"
#include "codecs/ish/records.h"
#include "codecs/ish/report.h"
#include "codecs/ish/text_lines.h"

namespace quorvex6::backend::codecs::ish {

class Reader {
  public:
    explicit Reader(Source& text);

    // The next file's header (from the first of its copies whose CRC holds) with the name of the
    // first line before it; what is left of the current file is skipped. nullopt at the end of
    // the text, or after a read error (status()).
    std::optional<FileInfo> next();

    // The bytes of the file next() returned, once; of a volume of a set, that volume's bytes.
    // Status::kOk only when every block was whole or repaired and the file's CRC holds; otherwise
    // report() says what failed and `out` holds a partial file for the caller to discard.
    Status decode(Sink& out);
    const DecodeReport& report() const { return report_; }

    Status status() const { return lines_.status(); }

  private:
    enum class Kind { kHeader, kData, kOther };
    struct Line {
        Kind kind = Kind::kOther;
        Record record;
    };
    std::optional<Line> take(bool want_data);
    bool is_copy(const Record& header) const;
    bool read_data(std::span<const std::uint8_t> text, Line& line);

    TextLines lines_;
    std::optional<Line> pending_;  // read but belonging to what follows
    std::string first_name_;       // from the latest first line not yet given to a file
    bool in_file_ = false;
    bool decoded_ = false;
    bool data_seen_ = false;  // a data line since the current file's header
    std::optional<Variant> data_variant_;
    Record header_;
    FileInfo info_;
    DecodeReport report_;
};

}  // namespace quorvex6::backend::codecs::ish
