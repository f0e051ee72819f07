// The filter codes of the compression table are libarchive's.
#include "formats/tar/tar_compression.h"

#include <archive.h>

namespace quorvex6::backend::tar {

static_assert(RowOf(Compression::kGzip).filter == ARCHIVE_FILTER_GZIP);
static_assert(RowOf(Compression::kBzip2).filter == ARCHIVE_FILTER_BZIP2);
static_assert(RowOf(Compression::kXz).filter == ARCHIVE_FILTER_XZ);
static_assert(RowOf(Compression::kZstd).filter == ARCHIVE_FILTER_ZSTD);
static_assert(RowOf(Compression::kCompress).filter == ARCHIVE_FILTER_COMPRESS);

}  // namespace quorvex6::backend::tar
