#include "formats/zip/member_decoders.h"

#include "formats/zip/zip_methods.h"

namespace quorvex6::backend::zip {

codecs::Decoder* MemberDecoders::For(uint16_t method) {
    for (const auto& [number, decoder] : decoders_)
        if (number == method) return decoder.get();
    std::unique_ptr<codecs::Decoder> decoder = MakeDecoder(method);
    if (decoder == nullptr) return nullptr;
    return decoders_.emplace_back(method, std::move(decoder)).second.get();
}

}  // namespace quorvex6::backend::zip
