#include "formats/rar/service_comment.h"

#include <algorithm>
#include <vector>

#include "common/code_page.h"
#include "formats/rar/header_input.h"
#include "formats/rar/rar4_codec.h"
#include "io/crc32.h"

namespace quorvex6::backend::rar {

std::string ReadServiceComment(io::RandomInput& in, const Entry& service) {
    if (service.encrypted || service.packed_size > kMaxCommentSize ||
        service.original_size > kMaxCommentSize)
        return {};
    std::vector<std::uint8_t> stored =
        ReadHeaderBytes(in, service.data_offset, static_cast<std::size_t>(service.packed_size));
    std::vector<std::uint8_t> text;
    if (service.method == 0) {
        text = std::move(stored);
    } else if (!UnpackRar4(stored, service.version, static_cast<std::size_t>(service.original_size),
                           text)) {
        return {};
    }
    if (service.crc && io::Crc32(0, text.data(), text.size()) != *service.crc) return {};
    return DecodeLegacyName(std::string(text.begin(), std::find(text.begin(), text.end(), 0)));
}

}  // namespace quorvex6::backend::rar
