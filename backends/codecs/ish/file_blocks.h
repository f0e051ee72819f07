// One file's data lines gathered into blocks by line number, each block checked, repaired when
// it lost one or two lines, and its payload passed on as the file's bytes.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

#include "codecs/codec.h"
#include "codecs/ish/check_lines.h"
#include "codecs/ish/records.h"
#include "codecs/ish/report.h"

namespace quorvex6::backend::codecs::ish {

class FileBlocks {
  public:
    FileBlocks(const Layout& layout, std::uint32_t size, Sink& out, DecodeReport& report);

    enum class Step {
        more,      // the line was taken; more are wanted
        done,      // the line was taken and the file is complete
        not_ours,  // the file is complete and the line, which follows it, was not taken
        failed,    // status() says why
    };
    Step add(const Record& line);
    // No more lines: the text ended or the next file began.
    Status end();
    Status status() const { return status_; }

  private:
    std::size_t data_lines(std::uint64_t block) const;
    bool is_line_of_block(std::size_t n) const;
    bool lacks_line_before(std::size_t n) const;
    // Repairs and passes on the block gathered; when it cannot be rebuilt, fails with the
    // status and fault given.
    bool close_block(Status unrepairable, Fault why);
    void emit(const std::uint8_t* bytes, std::size_t n);
    bool flush();
    bool finish();
    bool fail(Status s, Fault f);

    const Layout& layout_;
    std::uint32_t size_;
    Sink& out_;
    DecodeReport& report_;
    std::uint64_t lines_;  // data lines of the whole file
    std::uint64_t blocks_;
    std::uint64_t block_ = 0;  // the block being gathered
    std::size_t last_ = 0;     // the number of its latest line; 0 before its first
    std::bitset<kMaxRecord + 1> present_;
    std::unique_ptr<Grid> grid_;
    std::uint64_t pos_ = 0;  // in the payload stream
    std::uint16_t crc_;
    std::uint16_t stored_crc_ = 0;
    std::vector<std::uint8_t> buffer_;
    Status status_ = Status::kOk;
};

}  // namespace quorvex6::backend::codecs::ish
