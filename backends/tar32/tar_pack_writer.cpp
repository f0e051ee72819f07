#include "tar32/tar_pack_writer.h"

#include <algorithm>

#include "common/result.h"
#include "formats/tar/tar_format.h"
#include "formats/tar/tar_header.h"
#include "io/fault.h"

namespace quorvex6::backend::tar32 {

using namespace tar;

namespace {

HeaderFields FieldsOf(const SourceItem& item, bool has_data) {
    HeaderFields f;
    f.name = item.stored;
    f.mode = item.stat.mode & 07777;
    f.mtime = item.stat.mtime;
    switch (item.stat.kind) {
        case FileKind::kFolder:
            f.type = HeaderType::kFolder;
            break;
        case FileKind::kLink:
            f.type = HeaderType::kSymlink;
            f.link = item.link_target;
            break;
        default:
            f.size = has_data ? item.stat.size : 0;
    }
    return f;
}

// Header, data and padding of one entry, straight into the stream: TAR has no workers, so each
// entry is encoded on the writing thread at the stream's end, and a file's data is read into
// the stream's own buffer (a copy less per byte). A file that became shorter since it was
// listed fails: its header promised the listed size.
class TarEncoder final : public jobs::EntryEncoder {
  public:
    explicit TarEncoder(StreamOutput& stream) : stream_(stream) {}

    uint64_t Encode(const SourceItem& item, io::RandomInput* data, io::RandomOutput&,
                    std::unique_ptr<jobs::EncodedEntry>&) override {
        const uint64_t start = stream_.position();
        HeaderFields fields = FieldsOf(item, data != nullptr);
        header_.clear();
        AppendHeader(fields, header_);
        Put(header_.data(), header_.size());
        for (uint64_t done = 0; done < fields.size;) {
            std::span<uint8_t> room = stream_.Room(fields.size - done);
            std::ptrdiff_t n = data->read_at(done, room.data(), room.size());
            if (n < 0) throw io::Error(io::Fault::kRead, "cannot read the data of " + item.stored);
            if (n == 0)
                throw Failure(result::kReadError,
                              item.disk_path + " became shorter while it was read");
            if (!stream_.Commit(static_cast<size_t>(n)))
                throw io::Error(io::Fault::kWrite, "cannot write the archive");
            done += static_cast<uint64_t>(n);
        }
        static constexpr Block kZeros{};
        Put(kZeros.data(), PaddingAfter(fields.size));
        return stream_.position() - start;
    }

  private:
    void Put(const void* data, size_t size) {
        if (!stream_.write(data, size))
            throw io::Error(io::Fault::kWrite, "cannot write the archive");
    }

    StreamOutput& stream_;
    std::vector<uint8_t> header_;
};

}  // namespace

bool StreamOutput::write_at(uint64_t offset, const void* data, size_t n) {
    if (offset != end_ || failure_) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (n > 0) {
        std::span<uint8_t> room = Room(n);
        std::copy_n(bytes, room.size(), room.data());
        if (!Gathered(room.size())) return false;
        bytes += room.size();
        n -= room.size();
    }
    return true;
}

std::span<uint8_t> StreamOutput::Room(uint64_t n) {
    if (!gathered_) gathered_ = std::make_unique<uint8_t[]>(kGather);
    return {gathered_.get() + filled_,
            static_cast<size_t>(std::min<uint64_t>(n, kGather - filled_))};
}

bool StreamOutput::Commit(size_t n) {
    if (failure_ || !Gathered(n)) return false;
    seek(position() + n);
    return true;
}

bool StreamOutput::Gathered(size_t n) {
    end_ += n;
    filled_ += n;
    return filled_ < kGather || Flush();
}

bool StreamOutput::Flush() {
    bool ok = Pass(gathered_.get(), filled_);
    filled_ = 0;
    return ok;
}

bool StreamOutput::Pass(const uint8_t* data, size_t n) {
    if (n == 0) return true;
    try {
        writer_.AddLaidOut(data, n);
        return true;
    } catch (const io::Error&) {
        failure_ = std::current_exception();
        return false;
    }
}

TarPackWriter::TarPackWriter(OutputFile& file, Compression compression)
    : sink_(file), writer_(sink_, compression), stream_(writer_) {}

std::unique_ptr<jobs::EntryEncoder> TarPackWriter::MakeEncoder() {
    return std::make_unique<TarEncoder>(stream_);
}

void TarPackWriter::CopyRaw(size_t) {
    throw io::Error(io::Fault::kWrite, "a TAR archive keeps no entries");
}

void TarPackWriter::Finish() {
    if (!stream_.Flush()) throw io::Error(io::Fault::kWrite, "cannot write the archive");
    writer_.Finish();
}

void TarPackWriter::CheckArchive() const {
    sink_.Rethrow();  // the file call's own failure: a full disk stays 0x8005
    stream_.Rethrow();
}

}  // namespace quorvex6::backend::tar32
