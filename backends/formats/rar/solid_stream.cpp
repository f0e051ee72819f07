#include "formats/rar/solid_stream.h"

#include "io/memory.h"

namespace quorvex6::backend::rar {

bool InSolidStream(const Entry& entry) { return entry.has_data() && entry.method != 0; }

namespace {

// The codec is chosen by generation and version alone.
bool SameMethod(const Entry& a, const Entry& b) {
    return a.generation == b.generation && a.version == b.version;
}

}  // namespace

void SolidStream::Decode(std::size_t index, io::Sink& out) {
    const JoinedEntry& asked = entries_[index];
    if (!InSolidStream(asked.entry)) {
        VolumeSet::Decode(asked, volume_, out);
        return;
    }
    if (index < next_ || !positioned_) {
        Restart(index);
    } else {
        // A stream that starts on the way leaves nothing before it to decode.
        for (std::size_t i = index; i > next_; --i) {
            const Entry& e = entries_[i].entry;
            if (InSolidStream(e) && !e.solid) {
                next_ = i;
                break;
            }
        }
    }
    io::NullSink nothing;
    for (; next_ < index; ++next_) {
        if (!InSolidStream(entries_[next_].entry)) continue;
        try {
            Member(next_, nothing);
        } catch (const io::Error&) {
            // Nobody asked for it: its failure is kept for the members it stops.
        }
    }
    ++next_;
    Member(index, out);
}

// Back to the start of the stream `index` belongs to.
void SolidStream::Restart(std::size_t index) {
    std::size_t start = index;
    while (entries_[start].entry.solid) {
        do {
            if (start == 0)
                throw io::Error(io::Fault::kBrokenData,
                                entries_[index].entry.name +
                                    " continues a solid stream that starts before this archive");
        } while (!InSolidStream(entries_[--start].entry));
    }
    decoder_.reset();
    broken_.reset();
    next_ = start;
    positioned_ = true;
}

void SolidStream::Member(std::size_t index, io::Sink& out) {
    const JoinedEntry& member = entries_[index];
    if (!member.entry.solid) {
        broken_.reset();
        // A decoder of the same method starts the new stream itself and keeps its window and
        // model memory: each small file of an archive would otherwise allocate them anew.
        if (!decoder_ || !SameMethod(*decoder_entry_, member.entry))
            decoder_ = MakeStreamDecoder(member.entry);
        decoder_entry_ = &member.entry;
    }
    if (broken_)
        throw io::Error(broken_->fault(),
                        member.entry.name + " follows " + broken_->what() + " in a solid stream");
    try {
        VolumeSet::DecodeMember(member, volume_, decoder_.get(), out);
    } catch (const io::Error& error) {
        if (error.fault() != io::Fault::kDataChecksum) {
            broken_ = io::Error(error.fault(), member.entry.name + " (" + error.what() + ")");
            decoder_.reset();
        }
        throw;
    }
}

}  // namespace quorvex6::backend::rar
