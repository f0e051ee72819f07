#include "formats/rar/old_comment.h"

#include <algorithm>
#include <vector>

#include "common/code_page.h"
#include "formats/rar/rar4_codec.h"
#include "formats/rar/rar_format.h"
#include "io/byte_order.h"
#include "io/crc32.h"

namespace quorvex6::backend::rar {

namespace {

constexpr std::size_t kFieldUnpackedSize = 7, kFieldVersion = 9, kFieldMethod = 10, kFieldCrc = 11;

}  // namespace

std::string ReadOldComment(std::span<const std::uint8_t> block) {
    if (block.size() < kOldCommentFixedSize) return {};
    const std::size_t size = io::Le16(block.data() + 5);
    if (size < kOldCommentFixedSize || size > block.size()) return {};
    const std::span<const std::uint8_t> stored =
        block.subspan(kOldCommentFixedSize, size - kOldCommentFixedSize);
    const std::size_t text_size = io::Le16(block.data() + kFieldUnpackedSize);
    std::vector<std::uint8_t> text;
    if (block[kFieldMethod] == kMethodBase) {
        text.assign(stored.begin(), stored.end());
    } else if (!UnpackRar4(stored, block[kFieldVersion], text_size, text)) {
        return {};
    }
    if ((io::Crc32(0, text.data(), text.size()) & 0xFFFF) != io::Le16(block.data() + kFieldCrc))
        return {};
    return DecodeLegacyName(std::string(text.begin(), std::find(text.begin(), text.end(), 0)));
}

}  // namespace quorvex6::backend::rar
