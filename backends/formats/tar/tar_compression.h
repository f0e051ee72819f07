// Which compression a TAR archive gets, chosen by its name; one table for writing, and the
// method text of the entry records when reading.
#pragma once
#include <string>
#include <string_view>

namespace quorvex6::backend::tar {

enum class Compression { kNone, kGzip, kBzip2, kXz, kZstd };

struct CompressionInfo {
    Compression compression;
    std::string_view method_text;
};

// By the archive's name (".tar.gz", ".tgz", ...); plain tar for every other name.
CompressionInfo CompressionForName(std::string_view archive);
// By libarchive's filter code of an archive being read.
CompressionInfo CompressionForFilter(int filter_code);

}  // namespace quorvex6::backend::tar
