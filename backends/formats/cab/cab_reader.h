// A cabinet's files in stored order, and their data decoded through their folder's method.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/entry_info.h"
#include "formats/cab/cab_folder_reader.h"
#include "formats/cab/cab_format.h"
#include "formats/cab/cab_set.h"
#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::cab {

struct CabEntry {
    std::string name;  // UTF-8, '/' separated
    CabFile file;
    std::size_t folder = 0;    // in the set
    bool incomplete = false;   // part of its data lies in a cabinet that was not found
    std::string method;        // MethodText of its folder
    std::uint64_t packed = 0;  // its share of the folder's packed bytes (CAB stores none)

    int64_t mtime() const;
    EntryFacts Facts() const;
};

class CabReader {
  public:
    // Finds the cabinet (after a self-extractor's program too) and reads its headers, and those
    // of the cabinets after it in its set that `open` finds (none without it); `name` is the
    // file's name, which the next cabinet names as its previous one. Throws io::Error
    // (kNotArchive when there is none).
    explicit CabReader(std::unique_ptr<io::RandomInput> input, const std::string& name = {},
                       const CabinetOpener& open = {});

    const std::vector<CabEntry>& entries() const { return entries_; }
    const CabinetSet& set() const { return set_; }
    const Cabinet& cabinet() const { return set_.cabinets.front().cabinet; }

  private:
    CabinetSet set_;
    std::vector<CabEntry> entries_;
};

// Decodes entries one after another, going on in a folder where the next entry lies further
// in it, so that extracting a folder's files in stored order decodes it once.
class EntryDecoder {
  public:
    // Going back in a folder, or on after a failure in it, decodes it again from its start:
    // crafted cabinets whose files go back and forth in a folder that unpacks hugely would
    // never end. Past `redecode_budget` bytes decoded again, entries are refused (kBrokenData).
    explicit EntryDecoder(const CabReader& reader,
                          std::uint64_t redecode_budget = 2 * kMaxFolderData)
        : reader_(reader), redecode_budget_(redecode_budget) {}
    // Throws io::Error as FolderReader does, kBrokenData for an incomplete entry.
    void Extract(const CabEntry& entry, io::Sink& sink);

  private:
    const CabReader& reader_;
    std::uint64_t redecode_budget_;
    std::optional<FolderReader> folder_;
    std::size_t folder_index_ = 0;
    std::vector<bool> opened_;  // folders decoded before, from their start
    std::uint64_t redecoded_ = 0;
};

}  // namespace quorvex6::backend::cab
