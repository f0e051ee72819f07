// The compressions a TAR archive comes in, once: the suffixes that choose one for writing, how
// its stream starts, who is its codec (one of ours through the codec table, else libarchive's
// filter) and the method text entries show. Constant data without any library or system header,
// so that kind detection elsewhere can use the same table.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorvex6::backend::tar {

enum class Compression { kNone, kGzip, kBzip2, kXz, kZstd, kCompress };

struct CompressionRow {
    Compression compression;
    std::string_view magic;   // the stream's first bytes
    std::string_view codec;   // the method id in the codec table; libarchive's filter where
                              // this is empty, and for writing where the codec has no encoder
    int filter;               // libarchive's filter code (ARCHIVE_FILTER_*), checked where used
    std::string_view method;  // the method text of the entries
};

inline constexpr CompressionRow kCompressions[] = {
    {Compression::kNone, {}, {}, 0, "-tar-"},
    {Compression::kGzip, "\x1F\x8B", "gzip", 1, "-tgz-"},
    {Compression::kBzip2, "BZh", "bzip2-stream", 2, "-tbz-"},
    {Compression::kXz,
     {"\xFD"
      "7zXZ\0",
      6},
     {},
     6,
     "-txz-"},
    {Compression::kZstd, "\x28\xB5\x2F\xFD", "zstd", 14, "-tzs-"},
    {Compression::kCompress, "\x1F\x9D", {}, 3, "-taz-"},  // compress(1), ".Z"
};
inline constexpr const CompressionRow& kPlainCompression = kCompressions[0];

struct SuffixRow {
    std::string_view suffix;  // matched without regard to ASCII case
    Compression compression;
};

inline constexpr SuffixRow kSuffixes[] = {
    {".tar", Compression::kNone},       {".tar.gz", Compression::kGzip},
    {".tgz", Compression::kGzip},       {".tar.bz2", Compression::kBzip2},
    {".tbz", Compression::kBzip2},      {".tbz2", Compression::kBzip2},
    {".tar.xz", Compression::kXz},      {".txz", Compression::kXz},
    {".tar.zst", Compression::kZstd},   {".tzst", Compression::kZstd},
    {".tar.z", Compression::kCompress}, {".taz", Compression::kCompress},
};

constexpr const CompressionRow& RowOf(Compression compression) {
    for (const CompressionRow& row : kCompressions)
        if (row.compression == compression) return row;
    return kPlainCompression;
}

constexpr bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < suffix.size(); ++i)
        if (lower(text[text.size() - suffix.size() + i]) != lower(suffix[i])) return false;
    return true;
}

// By the archive's name (".tar.gz", ".tgz", ...); plain tar for every other name.
constexpr const CompressionRow& CompressionForName(std::string_view archive) {
    for (const SuffixRow& row : kSuffixes)
        if (row.compression != Compression::kNone && EndsWithNoCase(archive, row.suffix))
            return RowOf(row.compression);
    return kPlainCompression;
}

// By the stream's first bytes; nullptr when they start none of the compressions.
constexpr const CompressionRow* CompressionForContent(std::span<const uint8_t> head) {
    for (const CompressionRow& row : kCompressions) {
        if (row.magic.empty() || head.size() < row.magic.size()) continue;
        bool same = true;
        for (size_t i = 0; i < row.magic.size(); ++i)
            same = same && head[i] == static_cast<uint8_t>(row.magic[i]);
        if (same) return &row;
    }
    return nullptr;
}

// By libarchive's filter code of an archive being read; plain for one the table lacks.
constexpr const CompressionRow& CompressionForFilter(int filter) {
    for (const CompressionRow& row : kCompressions)
        if (row.filter == filter) return row;
    return kPlainCompression;
}

}  // namespace quorvex6::backend::tar
