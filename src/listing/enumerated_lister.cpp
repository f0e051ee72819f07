#include "listing/enumerated_lister.h"

#include <algorithm>
#include <array>

#include "archivers/bindings.h"
#include "control/error_reporting.h"
#include "control/module_state.h"
#include "listing/entry_record.h"
#include "listing/listing_table.h"
#include "platform/codepage.h"
#include "quorvex6/enums.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::listing {
namespace {

using archivers::Shape;

// What differs between the enumerated kinds; the library and entry-point prefix of each come
// from the library table.
struct EnumeratedKind {
    int32_t kind;
    bool skipsFolderEntries;  // stored names with an empty name part are folders, not listed
};

constexpr std::array<EnumeratedKind, 6> kEnumeratedKinds = {{
    {LHA_, false},
    {ZIP_, false},
    {CAB_, false},
    {ARJ_, false},
    {TAR_, true},
    {RAR_, false},
}};

const EnumeratedKind* Find(int32_t kind) {
    const auto found = std::find_if(kEnumeratedKinds.begin(), kEnumeratedKinds.end(),
                                    [&](const EnumeratedKind& k) { return k.kind == kind; });
    return found != kEnumeratedKinds.end() ? &*found : nullptr;
}

// Closes the archive handle when the listing leaves early. The normal end closes through
// Close() and takes its result.
class OpenArchive {
  public:
    OpenArchive(int32_t kind, QvArchive handle) : kind_(kind), handle_(handle) {}
    ~OpenArchive() {
        if (open_) {
            try {
                Close();
            } catch (...) {
                // The failure that ended the listing is the one the user sees.
            }
        }
    }
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;

    QvArchive handle() const { return handle_; }
    int32_t Close() {
        open_ = false;
        return archivers::BindForKind<Shape::Close>(kind_, "CloseArchive")(handle_);
    }

  private:
    int32_t kind_;
    QvArchive handle_;
    bool open_ = true;
};

int32_t Enumerate(const EnumeratedKind& kind, const std::u16string& archive, int16_t& count) {
    const std::string name = platform::ToSystem(archive);
    const QvArchive handle = archivers::BindForKind<Shape::Open>(kind.kind, "OpenArchive")(
        static_cast<QvWindow>(Module().OwnerWindow), name.c_str(), 0);
    RestartListing(count);
    if (handle == 0) return result::kCannotOpen;
    OpenArchive opened(kind.kind, handle);

    EntryBuffer buffer;
    int32_t found = archivers::BindForKind<Shape::FindFirst>(kind.kind, "FindFirst")(handle, "*.*",
                                                                                     &buffer.info);
    QvFindNextFn findNext = nullptr;
    while (found == 0) {
        AddEntry(BytesOf(buffer), kind.skipsFolderEntries, count);
        if (findNext == nullptr) {
            findNext = archivers::BindForKind<Shape::FindNext>(kind.kind, "FindNext");
        }
        found = findNext(handle, &buffer.info);
    }
    return opened.Close();
}

}  // namespace

void AddEntry(RecordBytes record, bool skipsFolderEntries, int16_t& count) {
    ListingEntry& entry = GrowTo(count);
    SetStoredName(entry, StoredNameOf(record));
    if (skipsFolderEntries && entry.FileName.empty()) return;
    FormatColumns(record, entry);
    CountEntry(count);
}

bool IsEnumeratedKind(int32_t kind) { return Find(kind) != nullptr; }

int32_t ListEnumerated(int32_t kind, const std::u16string& archive, int16_t& count) {
    const EnumeratedKind* enumerated = Find(kind);
    if (enumerated == nullptr) return result::kSuccess;
    return RunTrapped([&] { return Enumerate(*enumerated, archive, count); }, result::kTrapped);
}

}  // namespace quorvex6::listing
