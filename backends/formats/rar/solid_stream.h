// The entries of a RAR archive decoded in stored order, one decoder carried through each solid
// stream: asked for a later member, it first decodes the members before it that nobody asked
// for into nothing, so that what is skipped is decoded once and what is taken is never
// decoded twice (but for an entry asked for after a later one, which restarts its stream).
#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "codecs/codec.h"
#include "formats/rar/volume_set.h"

namespace quorvex6::backend::rar {

// Whether the entry's data goes through a decoder's window: compressed file data.
bool InSolidStream(const Entry& entry);

class SolidStream {
  public:
    SolidStream(const std::vector<JoinedEntry>& entries, VolumeSet::VolumeInput volume)
        : entries_(entries), volume_(std::move(volume)) {}

    // The data of entries[index] into `out`, with its checks; throws what VolumeSet::Decode
    // throws. A member whose stream broke before it (an earlier member encrypted, of an
    // unknown method, cut short or damaged) fails with that member's fault and names it; an
    // earlier member whose data only disagrees with its check value does not stop the stream,
    // as the later member's own check values judge what it gives. A member whose stream starts
    // in no entry here is kBrokenData.
    void Decode(std::size_t index, io::Sink& out);

  private:
    void Restart(std::size_t index);
    void Member(std::size_t index, io::Sink& out);

    const std::vector<JoinedEntry>& entries_;
    VolumeSet::VolumeInput volume_;
    std::unique_ptr<::quorvex6::backend::codecs::Decoder> decoder_;
    const Entry* decoder_entry_ = nullptr;  // the member decoder_ was made for
    std::size_t next_ = 0;                  // the first entry not yet decoded
    bool positioned_ = false;
    std::optional<io::Error> broken_;
};

}  // namespace quorvex6::backend::rar
