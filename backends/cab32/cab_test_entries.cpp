#include "cab32/cab_test_entries.h"

#include <optional>

#include "cab32/cab_failure.h"
#include "common/result.h"
#include "io/memory.h"

namespace quorvex6::backend::cab32 {

namespace {

std::optional<Failure> Test(cab::EntryDecoder& decoder, const cab::CabEntry& entry) {
    if (entry.incomplete) return MissingCabinet(entry.name);
    try {
        io::NullSink sink;
        decoder.Extract(entry, sink);
    } catch (const io::Error& error) {
        return AsFailure(error);
    }
    return std::nullopt;
}

}  // namespace

int32_t TestEntries(const cab::CabReader& reader, OutputLog& log) {
    ResultKeeper result;
    cab::EntryDecoder decoder(reader);
    for (const cab::CabEntry& entry : reader.entries()) {
        if (std::optional<Failure> f = Test(decoder, entry)) {
            log.Line("bad " + entry.name + ": " + f->what());
            result.Note(f->code());
        }
    }
    return result.code();
}

}  // namespace quorvex6::backend::cab32
