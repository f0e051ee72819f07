#include "ish32/volume_set.h"

#include <cctype>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "codecs/ish/crc16.h"
#include "codecs/ish/reader.h"
#include "common/file_sink.h"
#include "common/file_system.h"
#include "io/crc32.h"
#include "ish32/decode_outcome.h"
#include "ish32/file_source.h"
#include "ish32/ish_names.h"

namespace quorvex6::backend::ish32 {

namespace {

using codecs::ish::FileInfo;

constexpr uint32_t kMaxVolumes = 255;

// Passes the bytes on and keeps the CRCs the set's headers carry.
class CheckedSink final : public io::Sink {
  public:
    explicit CheckedSink(io::Sink& out) : out_(out) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        volume_crc16_ = codecs::ish::Crc16(volume_crc16_, data, size);
        whole_crc16_ = codecs::ish::Crc16(whole_crc16_, data, size);
        whole_crc32_ = io::Crc32(whole_crc32_, data, size);
        return out_.write(data, size);
    }
    void StartVolume() { volume_crc16_ = codecs::ish::kCrcStart; }
    uint16_t volume_crc16() const { return static_cast<uint16_t>(~volume_crc16_); }
    uint16_t whole_crc16() const { return static_cast<uint16_t>(~whole_crc16_); }
    uint32_t whole_crc32() const { return whole_crc32_; }

  private:
    io::Sink& out_;
    uint16_t volume_crc16_ = codecs::ish::kCrcStart;
    uint16_t whole_crc16_ = codecs::ish::kCrcStart;
    uint32_t whole_crc32_ = 0;
};

struct TextPlace {
    std::string folder;  // "" is the current folder
    std::string base;    // the name up to its last dot
};

TextPlace PlaceOf(const std::string& text) {
    size_t slash = text.find_last_of("/\\");
    TextPlace place;
    std::string_view name = text;
    if (slash != std::string::npos) {
        place.folder = text.substr(0, slash + 1);
        name = name.substr(slash + 1);
    }
    place.base = std::string(name.substr(0, name.rfind('.')));
    return place;
}

bool IsVolumeName(std::string_view name, std::string_view base) {
    if (!name.starts_with(base)) return false;
    std::string_view extension = name.substr(base.size());
    if (extension.size() < 3 || extension[0] != '.' || std::tolower(extension[1]) != 'i')
        return false;
    for (char c : extension.substr(2))
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The header of `set`'s volume `number` in the text `path`, with a reader ready to decode it.
std::optional<FileInfo> FindVolume(codecs::ish::Reader& reader, const FileInfo& set,
                                   unsigned number) {
    while (std::optional<FileInfo> info = reader.next())
        if (info->volume == number && SameSet(*info, set)) return info;
    return std::nullopt;
}

// The file holding each volume of the set, by volume number: the text named, then the volume
// files beside it; the first one found counts.
std::map<unsigned, std::string> VolumeFiles(const std::string& text, const FileInfo& set) {
    const TextPlace place = PlaceOf(text);
    std::vector<std::string> paths{text};
    for (const FolderItem& item : ListFolder(place.folder.empty() ? "." : place.folder)) {
        if (item.stat.kind != FileKind::kRegular || !IsVolumeName(item.name, place.base)) continue;
        std::string path = InFolder(place.folder, item.name);
        if (path != text) paths.push_back(std::move(path));
    }
    std::map<unsigned, std::string> files;
    for (const std::string& path : paths) {
        FileSource source(path);
        codecs::ish::Reader reader(source);
        // A volume file holds one volume: reading its header is enough. The text named may
        // hold several, one after another.
        const bool first_only = path != text;
        while (std::optional<FileInfo> info = reader.next()) {
            if (info->volume == 0 || !SameSet(*info, set)) continue;
            files.try_emplace(info->volume, path);
            if (first_only) break;
        }
        source.Rethrow();
    }
    return files;
}

void DecodeVolume(const std::string& path, const FileInfo& set, unsigned number,
                  FileSink<PendingFile>& file, CheckedSink& sink) {
    FileSource source(path);
    codecs::ish::Reader reader(source);
    std::optional<FileInfo> volume = FindVolume(reader, set, number);
    source.Rethrow();
    if (!volume)
        throw Failure(result::kArchiveDataMissing,
                      "volume " + std::to_string(number) + " is gone from " + path);
    sink.StartVolume();
    codecs::Status status = reader.decode(sink);
    file.Rethrow();
    source.Rethrow();
    if (status != codecs::Status::kOk) throw DecodeFailure(status, reader.report());
    if (sink.volume_crc16() != volume->set.volume_crc16)
        throw Failure(result::kCrcMismatch,
                      "the CRC of volume " + std::to_string(number) + " does not match");
}

}  // namespace

bool SameSet(const FileInfo& a, const FileInfo& b) {
    return a.short_name == b.short_name && a.size == b.size &&
           a.set.whole_crc16 == b.set.whole_crc16 && a.set.whole_crc32 == b.set.whole_crc32 &&
           a.set.volume_bytes == b.set.volume_bytes;
}

void JoinSet(const std::string& text, const FileInfo& volume, PendingFile& out) {
    std::optional<uint32_t> count = codecs::ish::VolumeCount(volume);
    // Volume numbers are one byte: a set of more volumes can never be whole.
    if (!count || volume.volume > *count || *count > kMaxVolumes)
        throw Failure(result::kBrokenData, "a volume header that allows no such set");
    const std::map<unsigned, std::string> files = VolumeFiles(text, volume);
    FileSink<PendingFile> file(out);
    CheckedSink sink(file);
    for (unsigned number = 1; number <= *count; ++number) {
        auto found = files.find(number);
        if (found == files.end())
            throw Failure(result::kArchiveDataMissing, "volume " + std::to_string(number) + " of " +
                                                           std::to_string(*count) +
                                                           " of the set is not beside " + text);
        DecodeVolume(found->second, volume, number, file, sink);
    }
    if (sink.whole_crc16() != volume.set.whole_crc16 ||
        sink.whole_crc32() != volume.set.whole_crc32)
        throw Failure(result::kCrcMismatch, "the joined file's CRC does not match");
}

}  // namespace quorvex6::backend::ish32
