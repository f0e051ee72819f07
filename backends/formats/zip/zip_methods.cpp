#include "formats/zip/zip_methods.h"

#include <algorithm>
#include <array>

#include "codecs/method_tables.h"
#include "io/fault.h"

namespace quorvex6::backend::zip {

namespace {

constexpr std::array kMethods = {
    MethodRow{kMethodStored, "", "Store", 10, true},
    MethodRow{kMethodDeflate, "deflate", "Defla", 20, true},
    MethodRow{9, "", "Def64", 21, false},  // Deflate64: no codec here
    MethodRow{12, "bzip2", "BZip2", 46, false},
    MethodRow{14, "lzma-zip", "LZMA", 63, false},
};

}  // namespace

std::span<const MethodRow> Methods() { return kMethods; }

const MethodRow* FindMethod(uint16_t number) {
    for (const MethodRow& row : Methods())
        if (row.number == number) return &row;
    return nullptr;
}

std::string MethodText(uint16_t number) {
    const MethodRow* row = FindMethod(number);
    return row ? std::string(row->listed) : "M" + std::to_string(number);
}

std::unique_ptr<quorvex6::backend::codecs::Decoder> MakeDecoder(uint16_t number) {
    const MethodRow* row = FindMethod(number);
    if (row == nullptr || row->codec.empty()) return nullptr;
    const quorvex6::backend::codecs::Method* method = quorvex6::backend::codecs::FindMethod(
        quorvex6::backend::codecs::StreamMethods(), row->codec);
    return method && method->make_decoder ? method->make_decoder() : nullptr;
}

std::unique_ptr<quorvex6::backend::codecs::Encoder> MakeEncoder(uint16_t number, int level) {
    const MethodRow* row = FindMethod(number);
    const quorvex6::backend::codecs::Method* method = nullptr;
    if (row && row->writable && !row->codec.empty()) {
        // The codec table names a codec's levels by a digit after its id.
        std::string id(row->codec);
        id += static_cast<char>('0' + std::clamp(level, 1, 9));
        method =
            quorvex6::backend::codecs::FindMethod(quorvex6::backend::codecs::StreamMethods(), id);
        if (method == nullptr)
            method = quorvex6::backend::codecs::FindMethod(
                quorvex6::backend::codecs::StreamMethods(), row->codec);
    }
    if (method == nullptr || method->make_encoder == nullptr)
        throw io::Error(io::Fault::kUnknownMethod, "no encoder for method " + MethodText(number));
    return method->make_encoder();
}

}  // namespace quorvex6::backend::zip
