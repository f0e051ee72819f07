#include "codecs/ish/reader.h"

#include <algorithm>
#include <utility>

#include "codecs/ish/file_blocks.h"
#include "codecs/ish/first_line.h"

namespace quorvex6::backend::codecs::ish {

Reader::Reader(Source& text) : lines_(text) {}

std::optional<Reader::Line> Reader::take(bool want_data) {
    if (pending_) return std::exchange(pending_, std::nullopt);
    std::optional<std::span<const std::uint8_t>> text = lines_.next();
    if (!text) return std::nullopt;
    Line line;
    if (ReadHeaderLine(*text, line.record)) {
        line.kind = Kind::kHeader;
    } else if (want_data && read_data(*text, line)) {
        line.kind = Kind::kData;
    } else {
        std::string_view s(reinterpret_cast<const char*>(text->data()), text->size());
        if (std::optional<std::string> name = NameInFirstLine(s)) first_name_ = std::move(*name);
    }
    return line;
}

// Once a file's first data line fixes its variant, only that one is tried; before, the one its
// header names comes first.
bool Reader::read_data(std::span<const std::uint8_t> text, Line& line) {
    if (data_variant_) return ReadDataLine(text, *data_variant_, line.record);
    if (ReadDataLine(text, info_.variant, line.record)) {
        data_variant_ = info_.variant;
        return true;
    }
    for (Variant v : kVariants) {
        if (v != info_.variant && ReadDataLine(text, v, line.record)) {
            data_variant_ = v;
            return true;
        }
    }
    return false;
}

// The header is written three times in a row; an identical one after a data line is the header
// of another file (the same file encoded twice).
bool Reader::is_copy(const Record& header) const {
    return in_file_ && !data_seen_ && header.length == header_.length &&
           std::equal(header.bytes.begin(),
                      header.bytes.begin() + static_cast<std::ptrdiff_t>(header.length),
                      header_.bytes.begin());
}

std::optional<FileInfo> Reader::next() {
    for (;;) {
        // Data lines matter only until the current file's first: they tell copies from files.
        std::optional<Line> line = take(in_file_ && !data_seen_);
        if (!line) return std::nullopt;
        if (line->kind == Kind::kData) data_seen_ = true;
        if (line->kind != Kind::kHeader || is_copy(line->record)) continue;
        std::optional<FileInfo> info = ParseHeader(line->record.bytes.data(), line->record.length);
        if (!info) continue;
        info->name = std::exchange(first_name_, std::string());
        header_ = line->record;
        info_ = *info;
        in_file_ = true;
        decoded_ = false;
        data_seen_ = false;
        data_variant_.reset();
        return info;
    }
}

Status Reader::decode(Sink& out) {
    report_ = DecodeReport();
    if (!in_file_ || decoded_) return Status::kCorrupt;
    decoded_ = true;
    // A volume's blocks hold its own bytes, sealed with their own CRC.
    std::uint32_t length = info_.size;
    if (info_.volume != 0) {
        std::optional<std::uint32_t> own = VolumeLength(info_);
        if (!own) {
            report_.fault = Fault::kVolumeOfSet;
            return Status::kCorrupt;
        }
        length = *own;
    }
    std::unique_ptr<FileBlocks> blocks;
    for (;;) {
        std::optional<Line> line = take(true);
        if (!line) break;
        if (line->kind == Kind::kHeader) {
            if (is_copy(line->record)) continue;
            pending_ = std::move(line);
            break;
        }
        if (line->kind != Kind::kData) continue;
        data_seen_ = true;
        if (!blocks)
            blocks = std::make_unique<FileBlocks>(LayoutOf(*data_variant_), length, out, report_);
        switch (blocks->add(line->record)) {
            case FileBlocks::Step::more:
                continue;
            case FileBlocks::Step::not_ours:
                pending_ = std::move(line);
                return blocks->status();
            case FileBlocks::Step::done:
            case FileBlocks::Step::failed:
                return blocks->status();
        }
    }
    if (lines_.status() != Status::kOk) return lines_.status();
    if (!blocks) {
        report_.fault = Fault::kMissingBlocks;
        return Status::kTruncated;
    }
    return blocks->end();
}

}  // namespace quorvex6::backend::codecs::ish
