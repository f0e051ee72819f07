#include "formats/cab/cab_reader.h"

#include <algorithm>

#include "common/code_page.h"
#include "common/dos_time.h"
#include "formats/cab/cab_format.h"
#include "io/fault.h"
#include "io/text.h"

namespace quorvex6::backend::cab {

namespace {

std::string DecodeName(const CabFile& file) {
    std::string name = (file.attributes & kAttributeUtf8) && io::IsValidUtf8(file.raw_name)
                           ? file.raw_name
                           : DecodeLegacyName(file.raw_name);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// CAB keeps packed sizes per folder only: each file gets the share of its folder's bytes
// that its size has of the folder's data.
void SharePackedBytes(const Cabinet& cab, std::uint64_t file_size, std::vector<CabEntry>& entries) {
    std::uint64_t end = std::min(file_size, cab.start + cab.size);
    std::vector<std::uint64_t> packed(cab.folders.size()), unpacked(cab.folders.size());
    // A folder's bytes reach to the next folder's start, in the order they lie in the file.
    std::vector<std::uint64_t> starts;
    for (const CabFolder& folder : cab.folders) starts.push_back(folder.data_offset);
    std::sort(starts.begin(), starts.end());
    for (size_t i = 0; i < cab.folders.size(); ++i) {
        std::uint64_t start = cab.folders[i].data_offset;
        auto next = std::upper_bound(starts.begin(), starts.end(), start);
        std::uint64_t until = next == starts.end() ? end : std::min(end, *next);
        packed[i] = until > start ? until - start : 0;
    }
    for (const CabEntry& entry : entries)
        if (!entry.continued())
            unpacked[entry.file.folder] =
                std::max<std::uint64_t>(unpacked[entry.file.folder],
                                        std::uint64_t{entry.file.folder_offset} + entry.file.size);
    for (CabEntry& entry : entries) {
        if (entry.continued() || unpacked[entry.file.folder] == 0) continue;
        entry.packed = packed[entry.file.folder] * entry.file.size / unpacked[entry.file.folder];
    }
}

std::uint16_t FolderIndexOf(const Cabinet& cab, const CabFile& file) {
    switch (file.folder) {
        case kContinuedFromPrevious:
            return 0;
        case kContinuedToNext:
        case kContinuedBoth:
            return static_cast<std::uint16_t>(cab.folders.size() - 1);
        default:
            return file.folder;
    }
}

}  // namespace

int64_t CabEntry::mtime() const {
    return std::max<int64_t>(0, FromDosDateTime({file.date, file.time}));
}

EntryFacts CabEntry::Facts() const {
    EntryFacts facts;
    facts.name = name;
    facts.original_size = file.size;
    facts.compressed_size = packed;
    facts.os_type = kOsDos;
    facts.mtime = mtime();
    facts.read_only = file.attributes & kAttributeReadOnly;
    facts.hidden = file.attributes & kAttributeHidden;
    facts.system = file.attributes & kAttributeSystem;
    facts.archive_bit = file.attributes & kAttributeArchive;
    facts.method = method;
    return facts;
}

CabReader::CabReader(std::unique_ptr<io::RandomInput> input) : input_(std::move(input)) {
    std::optional<std::uint64_t> start = Bid(*input_);
    if (!start) throw io::Error(io::Fault::kNotArchive, "not a cabinet");
    cabinet_ = ReadCabinet(*input_, *start);
    entries_.reserve(cabinet_.files.size());
    for (const CabFile& file : cabinet_.files) {
        CabEntry entry;
        entry.name = DecodeName(file);
        entry.file = file;
        entry.method = MethodText(cabinet_.folders[FolderIndexOf(cabinet_, file)].type);
        entries_.push_back(std::move(entry));
    }
    SharePackedBytes(cabinet_, input_->size(), entries_);
}

void EntryDecoder::Extract(const CabEntry& entry, io::Sink& sink) {
    if (entry.continued())
        throw io::Error(io::Fault::kBrokenData, entry.name + " continues in another cabinet");
    if (entry.file.size == 0) return;
    const Cabinet& cab = reader_.cabinet();
    if (!folder_ || folder_index_ != entry.file.folder ||
        folder_->position() > entry.file.folder_offset) {
        if (opened_.empty()) opened_.resize(cab.folders.size());
        if (opened_[entry.file.folder]) {
            redecoded_ += std::uint64_t{entry.file.folder_offset} + entry.file.size;
            if (redecoded_ > redecode_budget_)
                throw io::Error(io::Fault::kBrokenData,
                                entry.name + ": files of a folder go back too often");
        }
        folder_.reset();
        folder_.emplace(reader_.input(), cab.folders[entry.file.folder], cab.data_reserve);
        folder_index_ = entry.file.folder;
        opened_[entry.file.folder] = true;
    }
    try {
        folder_->Copy(entry.file.folder_offset - folder_->position(), nullptr);
        folder_->Copy(entry.file.size, &sink);
    } catch (...) {
        // Where a failure left the folder's decoder is unknown: the next entry starts afresh.
        folder_.reset();
        throw;
    }
}

}  // namespace quorvex6::backend::cab
