#include "tar32/tar_pack_writer.h"

#include <algorithm>
#include <cstring>

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

void Put(io::RandomOutput& out, const void* data, size_t size) {
    if (!out.write(data, size)) throw io::Error(io::Fault::kWrite, "cannot write the archive");
}

// Header, data and padding of one entry. A file that became shorter since it was listed fails:
// its header promised the listed size.
class TarEncoder final : public jobs::EntryEncoder {
  public:
    uint64_t Encode(const SourceItem& item, io::RandomInput* data, io::RandomOutput& out,
                    std::unique_ptr<jobs::EncodedEntry>&) override {
        HeaderFields fields = FieldsOf(item, data != nullptr);
        buffer_.clear();
        AppendHeader(fields, buffer_);
        Put(out, buffer_.data(), buffer_.size());
        if (data != nullptr) {
            buffer_.resize(static_cast<size_t>(std::min<uint64_t>(kChunk, fields.size)) + kBlock);
            for (uint64_t done = 0; done < fields.size;) {
                size_t want = static_cast<size_t>(std::min<uint64_t>(kChunk, fields.size - done));
                std::ptrdiff_t n = data->read_at(done, buffer_.data(), want);
                if (n < 0)
                    throw io::Error(io::Fault::kRead, "cannot read the data of " + item.stored);
                if (n == 0)
                    throw Failure(result::kReadError,
                                  item.disk_path + " became shorter while it was read");
                done += static_cast<uint64_t>(n);
                size_t size = static_cast<size_t>(n);
                if (done == fields.size) {
                    std::fill_n(buffer_.begin() + static_cast<std::ptrdiff_t>(size),
                                PaddingAfter(fields.size), 0);
                    size += PaddingAfter(fields.size);
                }
                Put(out, buffer_.data(), size);
            }
        }
        return out.position();
    }

  private:
    static constexpr size_t kChunk = 1 << 20;
    std::vector<uint8_t> buffer_;
};

}  // namespace

bool StreamOutput::write_at(uint64_t offset, const void* data, size_t n) {
    if (offset != end_ || failure_) return false;
    end_ += n;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (gathered_.size() + n <= kGather) {
        gathered_.insert(gathered_.end(), bytes, bytes + n);
        return true;
    }
    return Flush() && Pass(bytes, n);
}

bool StreamOutput::Flush() {
    bool ok = Pass(gathered_.data(), gathered_.size());
    gathered_.clear();
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
    return std::make_unique<TarEncoder>();
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
