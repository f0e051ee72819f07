#include "cab32/cab_pack.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "cab32/set_pack.h"
#include "common/dos_time.h"
#include "common/file_sink.h"
#include "common/jobs/pack_job.h"
#include "common/jobs/pack_plan.h"
#include "common/replacement_file.h"
#include "common/system.h"
#include "formats/cab/cab_folder_stream.h"
#include "formats/cab/cab_format.h"
#include "formats/cab/cab_quantum_stream.h"
#include "formats/cab/cab_writer.h"
#include "io/fault.h"
#include "io/memory.h"

namespace quorvex6::backend::cab32 {

namespace {

struct CabEncoded final : jobs::EncodedEntry {
    cab::WrittenFile file;
    cab::WrittenFolder folder;
};

// Its name, attributes and time as the file record keeps them.
void DescribeFile(const SourceItem& item, cab::WrittenFile& file) {
    file.attributes = cab::kAttributeArchive;
    if ((item.stat.mode & 0222) == 0) file.attributes |= cab::kAttributeReadOnly;
    file.name = cab::StoredName(item.stored, &file.attributes);
    DosDateTime dos = ToDosDateTime(item.stat.mtime);
    file.date = dos.date;
    file.time = dos.time;
}

class CabEncoder final : public jobs::EntryEncoder {
  public:
    explicit CabEncoder(const PackOptions& options)
        : type_(options.type), encoder_(options.type, options.level) {}

    uint64_t Encode(const SourceItem& item, io::RandomInput* data, io::RandomOutput& out,
                    std::unique_ptr<jobs::EncodedEntry>& encoded) override {
        auto entry = std::make_unique<CabEncoded>();
        DescribeFile(item, entry->file);
        entry->folder.type = type_;
        uint64_t read = 0;
        if (data != nullptr)
            entry->folder.blocks = encoder_.Encode(*data, item.stat.size, out, &read);
        entry->file.size = static_cast<uint32_t>(read);
        encoded = std::move(entry);
        return out.position();
    }

  private:
    uint16_t type_;
    cab::FolderEncoder encoder_;
};

// Files running on through a folder, on the writing thread: the stream compresses side by side
// instead (MSZIP's blocks, Quantum's folders).
template <class Stream>
class StreamEncoder final : public jobs::EntryEncoder {
  public:
    StreamEncoder(Stream& stream, io::RandomOutput& archive) : stream_(stream), archive_(archive) {}

    uint64_t Encode(const SourceItem& item, io::RandomInput* data, io::RandomOutput& out,
                    std::unique_ptr<jobs::EncodedEntry>& encoded) override {
        auto entry = std::make_unique<CabEncoded>();
        DescribeFile(item, entry->file);
        io::MemoryInput nothing({});
        uint64_t read = 0;
        // Entries are written straight into the archive: `out` starts at its position.
        typename Stream::Place place = stream_.Append(
            data ? *data : nothing, data ? item.stat.size : 0, out, archive_.position(), &read);
        entry->file.folder = place.folder;
        entry->file.folder_offset = place.offset;
        entry->file.size = static_cast<uint32_t>(read);
        encoded = std::move(entry);
        return out.position();
    }

  private:
    Stream& stream_;
    io::RandomOutput& archive_;
};

class CabPackWriter final : public jobs::PackWriter {
  public:
    CabPackWriter(OutputFile& file, const PackOptions& options, uint64_t header_room)
        : out_(file), options_(options), header_room_(header_room) {
        out_.seek(header_room);
        // A set is cut from a cabinet whose files are folders of their own.
        if ((options.type & cab::kMethodMask) == cab::kMethodMszip && options.volume_limit == 0)
            stream_.emplace(options.type, options.level, ProcessorCount());
        if ((options.type & cab::kMethodMask) == cab::kMethodQuantum && options.volume_limit == 0)
            quantum_.emplace(options.type, ProcessorCount(), cab::QuantumStream::Limits{});
    }

    std::unique_ptr<jobs::EntryEncoder> MakeEncoder() override {
        if (stream_) return std::make_unique<StreamEncoder<cab::FolderStream>>(*stream_, out_);
        if (quantum_) return std::make_unique<StreamEncoder<cab::QuantumStream>>(*quantum_, out_);
        return std::make_unique<CabEncoder>(options_);
    }
    unsigned MaxWorkers() const override { return stream_ || quantum_ ? 0 : jobs::kEveryProcessor; }
    io::RandomOutput& Archive() override { return out_; }
    bool Rewinds() const override { return true; }
    void Placed(std::unique_ptr<jobs::EncodedEntry> encoded, uint64_t offset) override {
        auto& entry = static_cast<CabEncoded&>(*encoded);
        if (stream_ || quantum_) {
            files_.push_back(std::move(entry.file));
            return;
        }
        // An empty file needs no data: it points at the start of whichever folder is there.
        if (entry.file.size != 0) {
            entry.folder.offset = offset;
            folders_.push_back(entry.folder);
        }
        // A set may hold more folders than a 16-bit index tells apart: its cabinets count anew.
        folder_of_.push_back(folders_.empty() ? 0 : folders_.size() - 1);
        entry.file.folder = static_cast<uint16_t>(folder_of_.back());
        files_.push_back(std::move(entry.file));
    }
    void CopyRaw(size_t) override {
        throw io::Error(io::Fault::kUnknownMethod, "a cabinet is made anew, never updated");
    }
    void Finish() override {
        if (stream_) {
            stream_->Finish(out_, 0);
            folders_ = stream_->folders();
        }
        if (quantum_) {
            quantum_->Finish(out_, 0);
            folders_ = quantum_->folders();
        }
        // Readers refuse a cabinet without folders, even when its files are all empty.
        if (folders_.empty()) folders_.push_back({out_.position(), 0, options_.type});
        uint64_t size = out_.position();
        // What is too much for one cabinet of a set is cut into several, from this work file.
        cut_ = options_.volume_limit != 0 &&
               (size > options_.volume_limit || files_.size() > cab::kMaxFiles ||
                folders_.size() > cab::kMaxFolders);
        if (cut_) return;
        if (size > 0x7FFFFFFF) throw io::Error(io::Fault::kWrite, "a cabinet holds at most 2 GiB");
        if (folders_.size() > cab::kMaxFolders)
            throw Failure(result::kTooManyFiles, "a cabinet holds at most 65533 files with data");
        std::string header = cab::CabinetHeader(size, folders_, files_);
        if (header.size() > header_room_ || !out_.write_at(0, header.data(), header.size()) ||
            !out_.CutHere())
            throw io::Error(io::Fault::kWrite, "cannot write the cabinet");
    }
    void CheckArchive() const override { out_.Rethrow(); }

    // Whether Finish left a work file to cut into a set rather than a cabinet.
    bool cut() const { return cut_; }
    cab::SetContents TakeSet() {
        cab::SetContents set;
        set.id_seed = out_.position();  // the size the cabinet would have had
        set.files.resize(folders_.size());
        for (size_t i = 0; i < files_.size(); ++i)
            set.files[folder_of_[i]].push_back(std::move(files_[i]));
        set.folders = std::move(folders_);
        return set;
    }

  private:
    FileOutput<OutputFile> out_;
    PackOptions options_;
    uint64_t header_room_;
    std::optional<cab::FolderStream> stream_;
    std::optional<cab::QuantumStream> quantum_;
    std::vector<cab::WrittenFolder> folders_;
    std::vector<cab::WrittenFile> files_;
    std::vector<size_t> folder_of_;  // of each file
    bool cut_ = false;
};

}  // namespace

void PackCabinet(const std::string& archive, const std::vector<SourceItem>& sources,
                 const PackOptions& options, OutputLog& log, ResultKeeper& result,
                 Progress& progress) {
    ReplacementFile target(archive);
    auto existing = StatPath(archive);
    std::vector<jobs::NewItem> items;
    std::vector<std::string> names;
    for (const SourceItem& item : sources) {
        if (existing && item.stat.device == existing->device && item.stat.inode == existing->inode)
            continue;  // never the cabinet into itself
        if (item.stat.kind == FileKind::kLink) {
            log.Line("skipped " + item.stored + ": a cabinet holds no links");
            continue;
        }
        if (item.stat.kind != FileKind::kRegular) continue;
        items.push_back({item.stored, &item});
        uint16_t attributes = 0;
        names.push_back(item.stored.size() <= cab::kMaxName
                            ? cab::StoredName(item.stored, &attributes)
                            : std::string());
    }
    if (items.size() > cab::kMaxFiles && options.volume_limit == 0)
        throw Failure(result::kTooManyFiles, "a cabinet holds at most 65535 files");
    jobs::Plan plan = jobs::PlanUpdate({}, items, {});
    if (plan.entries.empty()) throw Failure(result::kFileNotFound, "nothing to pack");
    if (options.volume_limit != 0) {
        std::size_t longest = 0;
        for (const std::string& name : names) longest = std::max(longest, name.size());
        CheckSetLimit(archive, options.volume_limit, longest);
    }
    CabPackWriter writer(target.file(), options, cab::HeaderRoom(names));
    if (options.volume_limit == 0) {
        jobs::RunPack(target, writer, plan, jobs::PackWording{}, log, result, progress);
        return;
    }
    jobs::WritePack(writer, plan, jobs::PackWording{}, log, result, progress);
    if (!writer.cut()) {
        target.Commit();
        return;
    }
    // The work file goes when `target` does, never committed.
    WriteSet(archive, target.file(), writer.TakeSet(), options.volume_limit);
}

}  // namespace quorvex6::backend::cab32
