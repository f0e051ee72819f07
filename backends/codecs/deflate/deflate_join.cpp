#include "codecs/deflate/deflate_join.h"

namespace quorvex6::backend::codecs::deflate {

bool MakeContinuable(std::vector<std::uint8_t>& stream) {
    std::optional<StreamEnd> end = FindStreamEnd(stream.data(), stream.size());
    if (!end) return false;
    stream[end->last_block_bit / 8] &=
        static_cast<std::uint8_t>(~(1u << (end->last_block_bit % 8)));
    // An empty stored block: three zero header bits, then zeros to the byte boundary, then
    // LEN 0 and NLEN 0xFFFF.
    std::size_t aligned = (end->end_bit + 3 + 7) / 8;
    stream.resize(aligned, 0);
    if (end->end_bit % 8 != 0)
        stream[end->end_bit / 8] &= static_cast<std::uint8_t>((1u << (end->end_bit % 8)) - 1);
    for (std::size_t i = end->end_bit / 8 + (end->end_bit % 8 != 0); i < aligned; ++i)
        stream[i] = 0;
    stream.insert(stream.end(), {0x00, 0x00, 0xFF, 0xFF});
    return true;
}

}  // namespace quorvex6::backend::codecs::deflate
