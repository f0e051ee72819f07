#include "unzip32/extract_adapter.h"

#include <algorithm>
#include <unordered_set>

#include "common/system.h"
#include "formats/zip/zip_format.h"
#include "unzip32/zip_failure.h"

namespace quorvex6::backend::unzip32 {

using jobs::ExtractItem;
using jobs::ItemKind;

namespace {

// What symlink() takes: PATH_MAX less the terminating NUL.
constexpr size_t kMaxLinkTarget = 4095;

class LinkTextSink final : public io::Sink {
  public:
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (text.size() + size > kMaxLinkTarget) return false;
        text.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    std::string text;
};

std::optional<uint32_t> ModeOf(const zip::ZipEntry& entry) {
    if (auto mode = entry.unix_mode()) return *mode & 0777;
    return (entry.external_attributes & zip::kDosReadOnly) ? 0444u : 0644u;
}

bool IsPlainFile(const zip::ZipEntry& entry) {
    return !entry.encrypted() && !entry.folder() && !entry.symlink();
}

}  // namespace

ZipExtractFormat::ZipExtractFormat(const zip::ZipReader& reader, OutputLog& log,
                                   ResultKeeper& result)
    : reader_(reader), log_(log), result_(result), superseded_(reader.entries().size()) {
    std::unordered_set<std::string> later;
    for (size_t i = reader.entries().size(); i-- > 0;) {
        const zip::ZipEntry& entry = reader.entries()[i];
        if (IsPlainFile(entry)) superseded_[i] = !later.insert(entry.name).second;
    }
}

bool ZipExtractFormat::Next(ExtractItem& item) {
    while (next_ < superseded_.size() && superseded_[next_]) ++next_;
    if (next_ == superseded_.size()) return false;
    const zip::ZipEntry& entry = reader_.entries()[next_];
    item.index = next_++;
    item.name = entry.name;
    item.mtime = entry.mtime();
    item.kind = entry.folder()    ? ItemKind::kFolder
                : entry.symlink() ? ItemKind::kSymlink
                                  : ItemKind::kFile;
    item.mode = entry.folder() ? entry.unix_mode() : ModeOf(entry);
    item.size = entry.original_size;
    return true;
}

bool ZipExtractFormat::Admit(const ExtractItem& item) {
    if (!reader_.entries()[item.index].encrypted()) return true;
    log_.Line("skipped " + item.name + ": encrypted");
    result_.Note(result::kPasswordFile);
    return false;
}

std::string ZipExtractFormat::LinkTarget(const ExtractItem& item) {
    if (item.size > kMaxLinkTarget)
        throw Failure(result::kPathTooLong, "link target of " + std::to_string(item.size) +
                                                " bytes; a link holds at most " +
                                                std::to_string(kMaxLinkTarget));
    LinkTextSink sink;
    Decode(item, sink);
    return sink.text;
}

void ZipExtractFormat::Decode(const ExtractItem& item, io::Sink& sink) {
    try {
        auto decoders = decoders_.Take();
        reader_.Extract(reader_.entries()[item.index], sink, *decoders);
    } catch (const io::Error& error) {
        throw AsFailure(error);
    }
}

unsigned ZipExtractFormat::Threads() const { return std::min<unsigned>(ProcessorCount(), 4); }

}  // namespace quorvex6::backend::unzip32
