// The records that end a ZIP archive, found from the end of the file: the bid and the reader
// both start there.
#pragma once
#include <cstdint>
#include <string>

#include "io/random_access.h"

namespace quorvex6::backend::zip {

struct EndRecord {
    uint64_t entries = 0;
    uint64_t directory_size = 0;
    uint64_t directory_offset = 0;  // as stored: counted from where the archive starts
    uint64_t position = 0;          // of the record that ends the directory, in the file
    std::string comment;
};

// Throws io::Error: kNotArchive when there is no end record, kBrokenHeader when a ZIP64 end
// record is named but not there, kRead on a read error.
EndRecord FindEnd(io::RandomInput& input);

// Where the archive starts in the file: after data put in front of it (a self-extractor's
// program), which shifts every offset. Throws io::Error(kBrokenHeader) when the directory cannot
// be where the end record says.
uint64_t ArchiveStart(const EndRecord& end);

// Up to `n` bytes at `offset`, fewer only at the end; throws io::Error(kRead) on a read error.
size_t ReadAt(io::RandomInput& input, uint64_t offset, void* data, size_t n);

}  // namespace quorvex6::backend::zip
