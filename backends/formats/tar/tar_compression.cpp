#include "formats/tar/tar_compression.h"

#include <archive.h>

#include <algorithm>
#include <cctype>

namespace quorvex6::backend::tar {

namespace {

struct Row {
    std::string_view suffix;
    Compression compression;
    int filter;
    std::string_view method;
};

constexpr Row kRows[] = {
    {".tar.gz", Compression::kGzip, ARCHIVE_FILTER_GZIP, "-tgz-"},
    {".tgz", Compression::kGzip, ARCHIVE_FILTER_GZIP, "-tgz-"},
    {".tar.bz2", Compression::kBzip2, ARCHIVE_FILTER_BZIP2, "-tbz-"},
    {".tbz", Compression::kBzip2, ARCHIVE_FILTER_BZIP2, "-tbz-"},
    {".tbz2", Compression::kBzip2, ARCHIVE_FILTER_BZIP2, "-tbz-"},
    {".tar.xz", Compression::kXz, ARCHIVE_FILTER_XZ, "-txz-"},
    {".txz", Compression::kXz, ARCHIVE_FILTER_XZ, "-txz-"},
    {".tar.zst", Compression::kZstd, ARCHIVE_FILTER_ZSTD, "-tzs-"},
    {".tzst", Compression::kZstd, ARCHIVE_FILTER_ZSTD, "-tzs-"},
};

constexpr CompressionInfo kPlain{Compression::kNone, "-tar-"};

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

CompressionInfo CompressionForName(std::string_view archive) {
    for (const Row& row : kRows)
        if (EndsWithNoCase(archive, row.suffix)) return {row.compression, row.method};
    return kPlain;
}

CompressionInfo CompressionForFilter(int filter_code) {
    for (const Row& row : kRows)
        if (row.filter == filter_code) return {row.compression, row.method};
    return kPlain;
}

}  // namespace quorvex6::backend::tar
