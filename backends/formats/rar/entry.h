// One entry of a RAR archive (either generation) as its header describes it, and what one
// volume holds.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/rar/rar_format.h"
#include "io/blake2sp.h"
#include "io/fault.h"

namespace quorvex6::backend::rar {

struct Time {
    std::int64_t seconds = 0;  // since 1970, UTC
    std::uint32_t nanoseconds = 0;
};

enum class Redirection { kNone, kUnixSymlink, kWindowsSymlink, kJunction, kHardLink, kFileCopy };

struct Entry {
    Generation generation = Generation::kRar4;
    // UTF-8, '/' separated; folders end in '/'.
    std::string name;
    std::uint64_t packed_size = 0;
    std::uint64_t original_size = 0;
    std::optional<std::uint32_t> crc;
    std::optional<io::Blake2spDigest> blake2sp;
    Time mtime;
    std::optional<Time> ctime;
    std::optional<Time> atime;
    std::uint8_t host = 0;         // the generation's own host number
    bool unix_mode = false;        // attributes are a UNIX st_mode, not DOS attributes
    std::uint32_t attributes = 0;  // as stored
    std::uint8_t method = 0;       // 0 stored .. 5 best
    std::uint8_t version = 0;      // RAR 4: the version needed; RAR 5: the algorithm's
    std::uint64_t dictionary = 0;  // bytes, as declared (never allocated on trust)
    bool folder = false;
    bool solid = false;
    bool split_before = false;  // continues a file from the previous volume
    bool split_after = false;   // goes on in the next volume
    bool encrypted = false;
    std::uint64_t file_version = 0;  // RAR 5 file versions (-ver); 0 when none
    Redirection redirection = Redirection::kNone;
    std::string link_target;          // RAR 5 redirections; a RAR 4 symlink's target is its data
    std::uint64_t header_offset = 0;  // RAR 5: where its header starts
    std::uint64_t data_offset = 0;

    // A RAR 4 symlink holds its target as data.
    bool symlink_in_data() const {
        return generation == Generation::kRar4 && unix_mode &&
               (attributes & kModeKindMask) == kModeSymlink;
    }
    bool has_data() const { return !folder && redirection == Redirection::kNone; }
};

// One volume (or a whole archive of one).
struct Volume {
    Generation generation = Generation::kRar4;
    std::uint64_t start = 0;  // of the signature
    std::vector<Entry> entries;
    std::string comment;  // a CMT block or an old comment block that passed its check
    bool is_volume = false;
    bool first_volume = true;   // RAR 5 knows; RAR 4 from 3.0 on says so
    bool new_numbering = true;  // volumes named name.partN.rar (RAR 5 always)
    bool solid = false;
    bool locked = false;
    std::optional<std::uint64_t> volume_number;  // 0 for the first, where stored
    bool ended = false;                          // an end block was read
    bool continues = false;                      // the end block says a volume follows
    // What broke after the last entry read; nullopt when the headers end well.
    std::optional<io::Error> end_error;
    // RAR 5 service headers (CMT, QO, RR...), in stored order.
    std::vector<Entry> services;
};

}  // namespace quorvex6::backend::rar
