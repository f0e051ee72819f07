// Reading the bytes of TAR headers, all untrusted: the 512-byte header block (ustar, GNU and
// old formats), pax extended records, and the maps of sparse entries (old GNU and pax 0.x/1.0).
// Pure functions over memory; tar_reader.cpp drives them over the stream.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/tar/tar_format.h"

namespace quorvex6::backend::tar {

// Sparse map pieces: `size` stored bytes belong at `offset` of the file.
struct Piece {
    uint64_t offset = 0;
    uint64_t size = 0;
};

struct Header {
    char type = '0';
    std::string name;  // prefix and name joined, as stored
    std::string link;
    uint32_t mode = 0;
    uint64_t size = 0;  // bytes that follow in the archive
    int64_t mtime = 0;
    // Old GNU sparse ('S'): the file's whole size, the pieces in the header, and whether
    // extension blocks with more pieces follow.
    uint64_t real_size = 0;
    std::vector<Piece> pieces;
    bool extended = false;
};

// nullopt when the block's checksum does not hold or a number field is not a number.
std::optional<Header> ParseHeader(BlockView block);
bool IsZeroBlock(BlockView block);
// An old GNU sparse extension block: its pieces; `extended` says whether another follows.
bool ParseSparseExtension(BlockView block, std::vector<Piece>& pieces, bool& extended);

// What pax records (or GNU long-name entries) change in the header that follows.
struct Overrides {
    std::optional<std::string> name, link;
    bool binary_names = false;  // hdrcharset=BINARY: the names are bytes, in no known encoding
    std::optional<uint64_t> size;
    std::optional<int64_t> mtime;
    // pax sparse: 0.0 and 0.1 carry the map in records; 1.0 in front of the data.
    std::optional<uint64_t> sparse_size;
    std::optional<std::string> sparse_name;
    std::vector<Piece> sparse_map;
    std::optional<uint64_t> pending_offset;  // 0.0: an offset waiting for its size
    bool sparse_map_in_data = false;
    bool sparse = false;
};

// Applies "LEN key=value\n" records; false when they are malformed.
bool ParsePaxRecords(std::string_view records, Overrides& out);

// A pax 1.0 sparse map at the start of the data: decimal lines (count, then offset and size
// pairs). Returns the bytes the map takes, padded to whole blocks, or nullopt while `text`
// holds too little of it (`done` false) or when it is malformed (`done` true).
std::optional<uint64_t> ParseSparseMapLines(std::string_view text, std::vector<Piece>& pieces,
                                            bool& done);

// Pieces in order, not overlapping, inside the file, holding `stored` bytes in all.
bool SparseMapHolds(const std::vector<Piece>& pieces, uint64_t real_size, uint64_t stored);

}  // namespace quorvex6::backend::tar
