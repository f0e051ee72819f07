#include "formats/rar/rar4_codec.h"

#include "io/memory.h"

namespace quorvex6::backend::rar {

bool UnpackRar4(std::span<const std::uint8_t> packed, std::uint8_t version, std::size_t size,
                std::vector<std::uint8_t>& out) {
    const ::quorvex6::backend::codecs::Method* codec = Rar4Codec(version);
    if (codec == nullptr) return false;
    auto decoder = codec->make_decoder();
    io::MemorySource in(packed);
    io::VectorSink sink(out);
    return decoder->decode(in, packed.size(), size, sink) ==
               ::quorvex6::backend::codecs::Status::kOk &&
           out.size() == size;
}

}  // namespace quorvex6::backend::rar
