// How everything below the library layer fails: throw Error with the Fault that says what went
// wrong in the archive's or the stream's terms. Formats and jobs know no result codes; the
// library layer turns a Fault into its code through one table (common/fault_codes.h).
// Codecs alone return a Status instead (a decoder's verdict is a value on its hot path);
// codecs/codec.h turns a failed Status into an Error.
#pragma once
#include <stdexcept>
#include <string>

namespace quorvex6::backend::io {

enum class Fault {
    kNotArchive,      // the bytes are no archive of this format at all
    kBrokenHeader,    // a header of an archive that began well is damaged or impossible
    kHeaderChecksum,  // a header's own check value disagrees
    kBrokenData,      // an entry's data cannot be decoded, or its stream ends early
    kDataChecksum,    // decoded data whose check value disagrees
    kUnknownMethod,   // a method no codec here knows, or one that cannot be written
    kEncrypted,       // an encrypted entry: no codec here decrypts
    kNameTooLong,     // a name or link target past the format's limit
    kCannotOpen,      // the archive cannot be opened or made
    kMissing,         // a named file or entry is not there
    kRead,            // reading the archive or a source failed
    kWrite,           // writing failed
    kNoMemory,        // a buffer the data needs could not be had
};

class Error : public std::runtime_error {
  public:
    Error(Fault fault, const std::string& what) : std::runtime_error(what), fault_(fault) {}
    Fault fault() const { return fault_; }

  private:
    Fault fault_;
};

}  // namespace quorvex6::backend::io
