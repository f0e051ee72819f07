#include "formats/cab/cab_methods.h"

#include <string_view>

#include "codecs/method_tables.h"
#include "formats/cab/cab_format.h"
#include "io/fault.h"

namespace quorvex6::backend::cab {

namespace {

struct Row {
    const codecs::FrameMethod* method = nullptr;  // nullptr: stored
    codecs::FrameSetup setup;
};

[[noreturn]] void Unknown(std::uint16_t type) {
    throw io::Error(io::Fault::kUnknownMethod, "cannot decode method " + MethodText(type));
}

Row RowOf(std::uint16_t type, int mszip_level) {
    std::string_view id;
    codecs::FrameSetup setup;
    switch (type & kMethodMask) {
        case kMethodStore:
            return {};
        case kMethodMszip:
            id = "mszip";
            setup.level = mszip_level;
            break;
        case kMethodLzx:
            id = "lzx";
            setup.window_bits = WindowBitsOf(type);
            break;
        case kMethodQuantum:
            id = "quantum";
            setup.window_bits = WindowBitsOf(type);
            setup.level = static_cast<int>(QuantumLevelOf(type));
            break;
        default:
            Unknown(type);
    }
    const codecs::FrameMethod* method = codecs::FindFrameMethod(codecs::FrameMethods(), id);
    if (method == nullptr) Unknown(type);
    // MSZIP declares no window: its one window is the row's.
    if ((type & kMethodMask) == kMethodMszip) setup.window_bits = method->min_window_bits;
    return {method, setup};
}

}  // namespace

std::unique_ptr<codecs::FrameDecoder> MakeFrameDecoder(std::uint16_t type) {
    Row row = RowOf(type, 0);
    if (row.method == nullptr) return nullptr;
    if (!row.method->AcceptsWindow(row.setup.window_bits)) {
        if ((type & kMethodMask) == kMethodQuantum)
            throw io::Error(io::Fault::kBrokenData,
                            "broken cabinet data: Quantum window out of range");
        Unknown(type);
    }
    return row.method->make_decoder(row.setup);
}

std::unique_ptr<codecs::FrameEncoder> MakeFrameEncoder(std::uint16_t type, int level) {
    Row row = RowOf(type, level);
    if (row.method == nullptr) return nullptr;
    if (!row.method->Accepts(row.setup) || row.method->make_encoder == nullptr)
        throw io::Error(io::Fault::kUnknownMethod, "cannot encode method " + MethodText(type));
    return row.method->make_encoder(row.setup);
}

std::uint64_t EncoderFootprint(std::uint16_t type) {
    Row row = RowOf(type, 0);
    if (row.method == nullptr || row.method->encoder_footprint == nullptr) return 0;
    return row.method->encoder_footprint(row.setup);
}

}  // namespace quorvex6::backend::cab
