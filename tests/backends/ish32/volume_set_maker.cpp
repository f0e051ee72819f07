#include "volume_set_maker.h"

#include <algorithm>
#include <span>

#include "codecs/ish/crc16.h"
#include "codecs/ish/ish.h"
#include "codecs/ish/line_text.h"
#include "io/crc32.h"
#include "io/memory.h"

namespace quorvex6::testing {

namespace {

namespace ish = quorvex6::backend::codecs::ish;

std::span<const uint8_t> Bytes(std::string_view s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

uint16_t InvertedCrc16(std::string_view s) {
    return static_cast<uint16_t>(~ish::Crc16(ish::kCrcStart, Bytes(s).data(), s.size()));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// The text of `bytes` as a whole file: the blocks and the payload CRC a volume has too.
std::string EncodeAlone(ish::FileInfo info, std::string_view bytes) {
    info.size = static_cast<uint32_t>(bytes.size());
    backend::io::MemorySource source(Bytes(bytes));
    std::vector<uint8_t> out;
    backend::io::VectorSink sink(out);
    ish::MakeEncoder(info)->encode(source, sink, UINT64_MAX);
    return std::string(out.begin(), out.end());
}

std::string HeaderLine(const ish::FileInfo& info) {
    const ish::Variant header_variant = ish::LayoutOf(info.variant).header;
    ish::HeaderRecord record = ish::MakeHeader(info);
    std::string line(ish::LayoutOf(header_variant).text, ' ');
    ish::EncodeLine(header_variant, record.data(), reinterpret_cast<uint8_t*>(line.data()));
    return line;
}

}  // namespace

uint32_t VolumeBytes(ish::Variant variant, uint32_t blocks) {
    const size_t payload = ish::LayoutOf(variant).payload();
    return static_cast<uint32_t>(blocks * payload * payload - 2);
}

std::vector<std::string> MakeVolumeSet(const VolumeSetPlan& plan, const std::string& data) {
    ish::FileInfo set = plan.info;
    set.size = static_cast<uint32_t>(data.size());
    set.set.volume_bytes = VolumeBytes(set.variant, plan.blocks_per_volume);
    set.set.whole_crc16 = InvertedCrc16(data);
    set.set.whole_crc32 = backend::io::Crc32(0, Bytes(data).data(), data.size());
    const size_t count =
        std::max<size_t>(1, (data.size() + set.set.volume_bytes - 1) / set.set.volume_bytes);
    std::vector<std::string> texts;
    for (size_t v = 1; v <= count; ++v) {
        std::string_view bytes =
            std::string_view(data).substr((v - 1) * set.set.volume_bytes, set.set.volume_bytes);
        ish::FileInfo volume = set;
        volume.volume = static_cast<uint8_t>(v);
        volume.set.volume_crc16 = InvertedCrc16(bytes);
        if (plan.edit_header) plan.edit_header(volume);
        std::vector<std::string> lines = Lines(EncodeAlone(set, bytes));
        const std::string header = HeaderLine(volume);
        for (size_t copy = 1; copy <= 3; ++copy) lines[copy] = header;
        lines.insert(lines.begin() + 1, "<<< Part " + std::to_string(v) + "/" +
                                            std::to_string(count) + " [ " +
                                            std::to_string(lines.size() + 1) + " lines ] >>>");
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        texts.push_back(std::move(text));
    }
    return texts;
}

}  // namespace quorvex6::testing
