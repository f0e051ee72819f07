#include "codecs/rar5/filters.h"

#include "io/byte_order.h"

namespace quorvex6::backend::codecs::rar5 {

namespace {

// x86 addresses are taken modulo this much, whatever the file's size.
constexpr std::uint32_t kCallSpace = 0x1000000;

void Delta(const Filter& f, std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out(data.size());
    std::size_t from = 0;
    for (unsigned channel = 0; channel < f.channels; ++channel) {
        std::uint8_t previous = 0;
        for (std::size_t to = channel; to < out.size(); to += f.channels) {
            previous = static_cast<std::uint8_t>(previous - data[from++]);
            out[to] = previous;
        }
    }
    data.swap(out);
}

void Calls(const Filter& f, std::vector<std::uint8_t>& data) {
    bool jumps = f.type == FilterType::kE8E9;
    for (std::size_t i = 0; i + 4 < data.size();) {
        std::uint8_t b = data[i++];
        if (b != 0xE8 && !(jumps && b == 0xE9)) continue;
        auto offset = static_cast<std::uint32_t>((f.start + i) % kCallSpace);
        std::uint32_t address = io::Le32(data.data() + i);
        if (address & 0x80000000u) {
            if (((address + offset) & 0x80000000u) == 0)
                io::StoreLe32(data.data() + i, address + kCallSpace);
        } else if ((address - kCallSpace) & 0x80000000u) {
            io::StoreLe32(data.data() + i, address - offset);
        }
        i += 4;
    }
}

void Arm(const Filter& f, std::vector<std::uint8_t>& data) {
    for (std::size_t i = 0; i + 3 < data.size(); i += 4) {
        if (data[i + 3] != 0xEB) continue;
        std::uint32_t offset = io::Le32(data.data() + i) & 0xFFFFFF;
        offset -= static_cast<std::uint32_t>((f.start + i) / 4);
        io::StoreLe32(data.data() + i, (offset & 0xFFFFFF) | 0xEB000000u);
    }
}

}  // namespace

void ApplyFilter(const Filter& filter, std::vector<std::uint8_t>& data) {
    switch (filter.type) {
        case FilterType::kDelta:
            Delta(filter, data);
            break;
        case FilterType::kE8:
        case FilterType::kE8E9:
            Calls(filter, data);
            break;
        case FilterType::kArm:
            Arm(filter, data);
            break;
    }
}

}  // namespace quorvex6::backend::codecs::rar5
