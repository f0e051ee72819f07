#include "unlha32/extract_adapter.h"

#include "common/system.h"
#include "formats/lha/lha_format.h"
#include "formats/lha/member_io.h"
#include "unlha32/faults.h"

namespace quorvex6::backend::unlha32 {

using backend::Failure;
using backend::jobs::ExtractItem;
using backend::jobs::ItemKind;
using backend::lha::Entry;
namespace result = backend::result;

namespace {

// The permissions an extracted member gets.
std::optional<uint32_t> ModeOf(const Entry& e) {
    if (e.unix_mode) return *e.unix_mode & 0777;
    return (e.dos_attributes & backend::lha::kDosReadOnly) ? 0444 : 0644;
}

}  // namespace

LhaExtractFormat::LhaExtractFormat(Archive& archive, bool folders)
    : archive_(archive),
      folders_(folders),
      inputs_([path = archive.path()] { return std::make_unique<backend::FileInput>(path); }) {}

bool LhaExtractFormat::Next(ExtractItem& item) {
    if (next_ == archive_.entries().size()) return false;
    const Entry& e = archive_.entries()[next_];
    item.index = next_++;
    item.name = e.name;
    item.mtime = e.mtime;
    item.kind = e.link_target ? ItemKind::kSymlink : e.folder ? ItemKind::kFolder : ItemKind::kFile;
    item.mode = ModeOf(e);
    if (item.kind == ItemKind::kFolder) {
        item.mode.reset();
        if (e.unix_mode) item.mode = *e.unix_mode;
    }
    item.link_target = e.link_target.value_or("");
    item.size = e.original_size;
    return true;
}

bool LhaExtractFormat::Admit(const ExtractItem& item) {
    const Entry& e = archive_.entries()[item.index];
    if (e.folder && !folders_) return false;
    if (!backend::lha::CanDecode(e))
        throw Failure(result::kMethod, "unknown method -" + e.method + "-");
    if (!backend::lha::DeclaredSizePossible(e)) {
        throw Failure(result::kBrokenHeader,
                      "the header declares " + std::to_string(e.original_size) +
                          " bytes, more than its " + std::to_string(e.packed_size) + " bytes of -" +
                          e.method + "- data can hold");
    }
    return true;
}

std::string LhaExtractFormat::LinkTarget(const ExtractItem& item) {
    if (item.link_target.empty()) throw Failure(result::kBrokenHeader, "a link without a target");
    return item.link_target;
}

void LhaExtractFormat::Decode(const ExtractItem& item, backend::io::Sink& sink) {
    auto input = inputs_.Take();
    try {
        backend::lha::DecodeMember(*input, archive_.entries()[item.index], sink);
    } catch (const backend::io::Error& error) {
        throw FailureOf(error, "");
    }
}

unsigned LhaExtractFormat::Threads() const { return backend::ProcessorCount(); }

}  // namespace quorvex6::backend::unlha32
