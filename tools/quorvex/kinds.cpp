#include "kinds.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "formats/lha/lha_format.h"
#include "formats/tar/tar_compression.h"
#include "formats/tar/tar_format.h"
#include "formats/zip/zip_format.h"

namespace quorvex::cli {
namespace {

using Head = std::span<const unsigned char>;

bool StartsWith(Head head, size_t at, std::string_view magic) {
    if (head.size() < at + magic.size()) return false;
    return std::equal(magic.begin(), magic.end(), head.begin() + static_cast<ptrdiff_t>(at),
                      [](char m, unsigned char h) { return static_cast<unsigned char>(m) == h; });
}

namespace lha = quorvex6::backend::lha;
namespace tar = quorvex6::backend::tar;
namespace zip = quorvex6::backend::zip;

// Only an archive at the start, by its first method: a self-extractor's program may hold
// anything, even a header. A lone end marker is an archive whose members were all deleted.
bool LhaBid(Head head) {
    return (head.size() == 1 && head[0] == lha::kEndMarker) ||
           (head.size() >= lha::kMethodField + lha::kMethodSize &&
            lha::LhaMethod(head.data() + lha::kMethodField));
}
bool ZipBid(Head head) { return zip::StartsArchive(head); }
bool CabBid(Head head) { return StartsWith(head, 0, "MSCF"); }
bool ArjBid(Head head) { return StartsWith(head, 0, "\x60\xEA"); }
// An ISH text announces itself with "<<< NAME for OS ( use ... ish )" somewhere near its top.
bool IshBid(Head head) {
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    const size_t open = text.find("<<< ");
    return open != std::string_view::npos && text.find(" ish )", open) != std::string_view::npos;
}
// A plain archive, or a stream in one of the compressions the tar library reads.
bool TarBid(Head head) {
    return tar::StartsArchive(head) || tar::CompressionForContent(head) != nullptr;
}
bool RarBid(Head head) { return StartsWith(head, 0, "Rar!\x1A\x07"); }

constexpr std::string_view kCab[] = {".cab"};
constexpr std::string_view kArj[] = {".arj"};
constexpr std::string_view kIsh[] = {".ish"};
// The tar library's own table, so that a name it would write plain is never taken for TAR.
constexpr auto kTar = [] {
    std::array<std::string_view, std::size(tar::kSuffixes)> suffixes{};
    for (size_t i = 0; i < suffixes.size(); ++i) suffixes[i] = tar::kSuffixes[i].suffix;
    return suffixes;
}();
constexpr std::string_view kRar[] = {".rar"};

// Kept in ArcMode order.
constexpr std::array kKinds = {
    Kind{"lha", 0, lha::kSuffixes, LhaBid}, Kind{"zip", 1, zip::kSuffixes, ZipBid},
    Kind{"cab", 2, kCab, CabBid},           Kind{"arj", 3, kArj, ArjBid},
    Kind{"ish", 4, kIsh, IshBid},           Kind{"tar", 5, kTar, TarBid},
    Kind{"rar", 6, kRar, RarBid},
};

// Enough for the tar header magic and an ISH banner after a few lines of mail.
constexpr size_t kHeadBytes = 4096;

}  // namespace

std::span<const Kind> Kinds() { return kKinds; }

const Kind* KindNamed(std::string_view name) {
    for (const Kind& kind : kKinds) {
        if (kind.name == name) return &kind;
    }
    return nullptr;
}

const Kind* KindOfArcMode(int32_t arcMode) {
    for (const Kind& kind : kKinds) {
        if (kind.arcMode == arcMode) return &kind;
    }
    return nullptr;
}

const Kind* KindFromName(const std::filesystem::path& archive) {
    std::string name = archive.filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    for (const Kind& kind : kKinds) {
        for (std::string_view suffix : kind.suffixes) {
            if (name.size() > suffix.size() && name.ends_with(suffix)) return &kind;
        }
    }
    return nullptr;
}

const Kind* KindFromContent(const std::filesystem::path& archive) {
    std::ifstream in(archive, std::ios::binary);
    if (!in) return nullptr;
    std::vector<unsigned char> head(kHeadBytes);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    for (const Kind& kind : kKinds) {
        if (kind.bid(head)) return &kind;
    }
    return nullptr;
}

}  // namespace quorvex::cli
