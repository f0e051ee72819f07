#include "formats/zip/zip_relocate.h"

#include "formats/zip/zip_format.h"
#include "io/byte_order.h"
#include "io/fault.h"

namespace quorvex6::backend::zip {

namespace {

uint8_t* At(std::string& record, size_t pos) {
    return reinterpret_cast<uint8_t*>(record.data() + pos);
}

void Set16(std::string& record, size_t pos, uint16_t v) {
    std::string bytes;
    io::PutLe16(bytes, v);
    record.replace(pos, 2, bytes);
}
void Set32(std::string& record, size_t pos, uint32_t v) {
    std::string bytes;
    io::PutLe32(bytes, v);
    record.replace(pos, 4, bytes);
}
void Set64(std::string& record, size_t pos, uint64_t v) {
    std::string bytes;
    io::PutLe64(bytes, v);
    record.replace(pos, 8, bytes);
}

}  // namespace

std::string RelocatedCentral(std::string record, uint64_t offset) {
    if (record.size() < kCentralHeaderSize ||
        record.size() < kCentralHeaderSize + io::Le16(At(record, kCentralFieldNameLength)) +
                            io::Le16(At(record, kCentralFieldExtraLength)))
        throw io::Error(io::Fault::kBrokenHeader, "a central record shorter than its fields");
    const size_t extra_start = kCentralHeaderSize + io::Le16(At(record, kCentralFieldNameLength));
    const size_t extra_len = io::Le16(At(record, kCentralFieldExtraLength));
    // The ZIP64 field holds only the values whose 32-bit fields are full, in this order.
    const size_t offset_at = 8 * ((io::Le32(At(record, kCentralFieldUsize)) == k32Max) +
                                  (io::Le32(At(record, kCentralFieldCsize)) == k32Max));
    size_t zip64 = 0;  // where the ZIP64 field's header starts, 0 for none
    for (size_t pos = extra_start; pos + 4 <= extra_start + extra_len;
         pos += 4 + io::Le16(At(record, pos + 2))) {
        if (io::Le16(At(record, pos)) == kExtraZip64) {
            zip64 = pos;
            break;
        }
    }
    const size_t zip64_len = zip64 ? io::Le16(At(record, zip64 + 2)) : 0;
    const bool wide_offset = io::Le32(At(record, kCentralOffsetField)) == k32Max;
    if (zip64 && (offset_at + (wide_offset ? 8 : 0) > zip64_len ||
                  zip64 + 4 + zip64_len > extra_start + extra_len))
        throw io::Error(io::Fault::kBrokenHeader,
                        "a central record's ZIP64 field is shorter than it announces");
    if (wide_offset) {
        if (zip64 == 0)
            throw io::Error(io::Fault::kBrokenHeader,
                            "a central record announces a ZIP64 offset it does not hold");
        Set64(record, zip64 + 4 + offset_at, offset);
        return record;
    }
    if (offset < k32Max) {
        Set32(record, kCentralOffsetField, static_cast<uint32_t>(offset));
        return record;
    }
    std::string wide;
    if (zip64 == 0) {
        io::PutLe16(wide, kExtraZip64);
        io::PutLe16(wide, 8);
    }
    io::PutLe64(wide, offset);
    if (extra_len + wide.size() > k16Max)
        throw io::Error(io::Fault::kWrite, "no room for a ZIP64 offset in a central record");
    if (zip64) {
        record.insert(zip64 + 4 + offset_at, wide);
        Set16(record, zip64 + 2, static_cast<uint16_t>(zip64_len + 8));
    } else {
        record.insert(extra_start + extra_len, wide);
    }
    Set16(record, kCentralFieldExtraLength, static_cast<uint16_t>(extra_len + wide.size()));
    Set32(record, kCentralOffsetField, k32Max);
    if (io::Le16(At(record, kCentralFieldVersionNeeded)) < kVersionZip64)
        Set16(record, kCentralFieldVersionNeeded, kVersionZip64);
    return record;
}

}  // namespace quorvex6::backend::zip
