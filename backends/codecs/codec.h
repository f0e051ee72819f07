// The one shape every compression codec has, whatever container uses it.
//
// Contract, for every codec in this folder:
// - A decoder pulls at most `packed_size` bytes from its Source and pushes exactly
//   `unpacked_size` bytes to its Sink, in chunks of any size; it never reads past the member.
// - An encoder pulls its Source until it answers 0 and pushes the compressed stream to its Sink;
//   it stops early with Status::kExpanded once it has written more than `limit` bytes, so that
//   a container can store the member instead without compressing it twice in full.
// - Neither flushes or closes the Source or Sink: the caller owns both.
// - A codec object holds only its own state (windows, tables) and bounded memory; separate
//   objects may run concurrently on separate threads, one object never on two at once.
// - Corrupt input gives Status::kCorrupt or Status::kTruncated, never a crash or a hang.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "io/fault.h"
#include "io/stream.h"

namespace quorvex6::backend::codecs {

enum class Status { kOk, kCorrupt, kTruncated, kReadFailed, kWriteFailed, kExpanded, kNoMemory };

using Source = backend::io::Source;
using Sink = backend::io::Sink;

// The Fault a failed Status stands for, for callers that throw backend::io::Error.
inline backend::io::Fault FaultOf(Status status) {
    using backend::io::Fault;
    switch (status) {
        case Status::kReadFailed:
            return Fault::kRead;
        case Status::kWriteFailed:
            return Fault::kWrite;
        case Status::kExpanded:
            return Fault::kWrite;
        case Status::kNoMemory:
            return Fault::kNoMemory;
        case Status::kTruncated:
        case Status::kCorrupt:
        case Status::kOk:
            break;
    }
    return Fault::kBrokenData;
}

// What a container declares about its next member before decoding it. Only containers with
// solid streams or declared windows (RAR) say it.
struct MemberSetup {
    std::uint64_t window_size = 0;  // the declared dictionary in bytes; 0 when none is declared
    bool continues_stream = false;  // solid: window, tables and filters go on from before
};

class Decoder {
  public:
    virtual ~Decoder() = default;
    // Called before `decode` by containers that declare their members; false when this decoder
    // cannot take such a member (a window beyond what it may allocate, a stream it cannot
    // continue), and the caller then reports the method as unavailable.
    virtual bool prepare(const MemberSetup& setup) { return !setup.continues_stream; }
    virtual Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                          Sink& out) = 0;
};

class Encoder {
  public:
    virtual ~Encoder() = default;
    virtual Status encode(Source& in, Sink& out, std::uint64_t limit) = 0;
};

// One row of the method table. `id` is the container's own name for the method
// ("lh5" for LHA's "-lh5-"); a row without an encoder is read-only.
struct Method {
    std::string_view id;
    std::unique_ptr<Decoder> (*make_decoder)();
    std::unique_ptr<Encoder> (*make_encoder)();
};

// A part of the method table (method_tables.h): the rows of the codecs one group of containers
// uses, each method in exactly one part.
using MethodTable = std::span<const Method>;

// The row for `id` in `table`, or nullptr when that part has none.
inline const Method* FindMethod(MethodTable table, std::string_view id) {
    for (const Method& m : table) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

// The row for `id` in any part, or nullptr when no codec here knows it.
const Method* FindMethod(std::string_view id);

}  // namespace quorvex6::backend::codecs
