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
void SharePackedBytes(const CabinetSet& set, std::vector<CabEntry>& entries) {
    std::vector<std::uint64_t> packed(set.folders.size()), unpacked(set.folders.size());
    for (const SetCabinet& part : set.cabinets) {
        const Cabinet& cab = part.cabinet;
        std::uint64_t end = std::min(part.input->size(), cab.start + cab.size);
        // A folder's bytes reach to the next folder's start, in the order they lie in the file.
        std::vector<std::uint64_t> starts;
        for (const CabFolder& folder : cab.folders) starts.push_back(folder.data_offset);
        std::sort(starts.begin(), starts.end());
        for (std::size_t i = 0; i < cab.folders.size(); ++i) {
            std::uint64_t start = cab.folders[i].data_offset;
            auto next = std::upper_bound(starts.begin(), starts.end(), start);
            std::uint64_t until = next == starts.end() ? end : std::min(end, *next);
            packed[part.set_folders[i]] += until > start ? until - start : 0;
        }
    }
    for (const CabEntry& entry : entries)
        unpacked[entry.folder] = std::max<std::uint64_t>(
            unpacked[entry.folder], std::uint64_t{entry.file.folder_offset} + entry.file.size);
    for (CabEntry& entry : entries) {
        if (unpacked[entry.folder] == 0) continue;
        entry.packed = packed[entry.folder] * entry.file.size / unpacked[entry.folder];
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

CabReader::CabReader(std::unique_ptr<io::RandomInput> input, const std::string& name,
                     const CabinetOpener& open) {
    std::optional<std::uint64_t> start = Bid(*input);
    if (!start) throw io::Error(io::Fault::kNotArchive, "not a cabinet");
    set_ = JoinCabinets(std::move(input), *start, name, open);
    entries_.reserve(set_.files.size());
    for (const SetFile& file : set_.files) {
        CabEntry entry;
        entry.name = DecodeName(file.file);
        entry.file = file.file;
        entry.folder = file.folder;
        entry.incomplete = file.incomplete;
        entry.method = MethodText(set_.folders[file.folder].type);
        entries_.push_back(std::move(entry));
    }
    SharePackedBytes(set_, entries_);
}

void EntryDecoder::Extract(const CabEntry& entry, io::Sink& sink) {
    if (entry.incomplete)
        throw io::Error(io::Fault::kBrokenData,
                        entry.name + " lies partly in a cabinet of its set that is missing");
    if (entry.file.size == 0) return;
    const CabinetSet& set = reader_.set();
    if (!folder_ || folder_index_ != entry.folder ||
        folder_->position() > entry.file.folder_offset) {
        if (opened_.empty()) opened_.resize(set.folders.size());
        if (opened_[entry.folder]) {
            redecoded_ += std::uint64_t{entry.file.folder_offset} + entry.file.size;
            if (redecoded_ > redecode_budget_)
                throw io::Error(io::Fault::kBrokenData,
                                entry.name + ": files of a folder go back too often");
        }
        folder_.reset();
        folder_.emplace(set.folders[entry.folder]);
        folder_index_ = entry.folder;
        opened_[entry.folder] = true;
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
