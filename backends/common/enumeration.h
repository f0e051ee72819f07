// The open/find/close half of every library's entry points, over one small interface that a
// format's reader implements: the handle table, the pattern, the order of calls and the result
// codes are the same for every library, so each library exports one-line wrappers.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/entry_info.h"
#include "common/handle_table.h"
#include "quorvex6/archiver_api.h"

namespace quorvex6::backend {

// One open archive's entries in stored order.
class EntryListing {
  public:
    virtual ~EntryListing() = default;
    // The next entry; false after the last. Damage throws Failure.
    virtual bool Next(EntryFacts& facts) = 0;
    // Before the first entry again, for a second FindFirst on the same handle.
    virtual void Restart() = 0;
};

// Throws Failure (or any exception) when the archive cannot be opened.
using ListingOpener = std::function<std::unique_ptr<EntryListing>(const std::string& archive)>;

// FindFirst and FindNext answer this when no further entry matches.
inline constexpr int32_t kNoMoreEntries = -1;

class Enumeration {
  public:
    explicit Enumeration(ListingOpener open) : open_(std::move(open)) {}

    // 0 when the archive cannot be opened or too many are open.
    QvArchive Open(const char* archive) noexcept;
    int32_t FindFirst(QvArchive handle, const char* pattern, QvEntryInfo* info) noexcept;
    int32_t FindNext(QvArchive handle, QvEntryInfo* info) noexcept;
    int32_t Close(QvArchive handle) noexcept;

  private:
    struct OpenListing {
        std::unique_ptr<EntryListing> listing;
        std::string pattern;  // empty until FindFirst
    };
    static int32_t FindFrom(OpenListing& open, QvEntryInfo* info);

    ListingOpener open_;
    HandleTable<OpenListing> handles_;
};

// An EntryListing over a reader that holds its entries in memory, in stored order
// (reader.entries()); facts_of turns one entry into its facts.
template <class Reader, class FactsOf>
class HeldEntries final : public EntryListing {
  public:
    HeldEntries(std::unique_ptr<Reader> reader, FactsOf facts_of)
        : reader_(std::move(reader)), facts_of_(facts_of) {}
    bool Next(EntryFacts& facts) override {
        if (next_ >= reader_->entries().size()) return false;
        facts = facts_of_(reader_->entries()[next_++]);
        return true;
    }
    void Restart() override { next_ = 0; }

  private:
    std::unique_ptr<Reader> reader_;
    FactsOf facts_of_;
    size_t next_ = 0;
};

template <class Reader, class FactsOf>
std::unique_ptr<EntryListing> ListHeldEntries(std::unique_ptr<Reader> reader, FactsOf facts_of) {
    return std::make_unique<HeldEntries<Reader, FactsOf>>(std::move(reader), facts_of);
}

}  // namespace quorvex6::backend
