#include "formats/tar/tar_writer.h"

#include <algorithm>

#include "io/fault.h"

namespace quorvex6::backend::tar {

void Writer::Add(const HeaderFields& fields) {
    buffer_.clear();
    AppendHeader(fields, buffer_);
    out_.Write(buffer_.data(), buffer_.size());
}

void Writer::Add(const HeaderFields& fields, io::Source& data) {
    Add(fields);
    buffer_.resize(std::max(kChunk, kBlock));
    for (uint64_t done = 0; done < fields.size;) {
        std::ptrdiff_t n =
            data.read(buffer_.data(),
                      static_cast<size_t>(std::min<uint64_t>(buffer_.size(), fields.size - done)));
        if (n < 0)
            throw io::Error(io::Fault::kRead,
                            "cannot read the data of " + std::string(fields.name));
        if (n == 0)
            throw io::Error(io::Fault::kRead,
                            "the data of " + std::string(fields.name) + " ended early");
        out_.Write(buffer_.data(), static_cast<size_t>(n));
        done += static_cast<uint64_t>(n);
    }
    std::fill_n(buffer_.begin(), PaddingAfter(fields.size), 0);
    out_.Write(buffer_.data(), PaddingAfter(fields.size));
}

}  // namespace quorvex6::backend::tar
