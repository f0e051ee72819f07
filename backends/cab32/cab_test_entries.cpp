#include "cab32/cab_test_entries.h"

#include "cab32/cab_failure.h"
#include "common/result.h"
#include "io/memory.h"

namespace quorvex6::backend::cab32 {

int32_t TestEntries(const cab::CabReader& reader, OutputLog& log) {
    ResultKeeper result;
    cab::EntryDecoder decoder(reader);
    for (const cab::CabEntry& entry : reader.entries()) {
        try {
            io::NullSink sink;
            decoder.Extract(entry, sink);
        } catch (const io::Error& error) {
            Failure f = AsFailure(error);
            log.Line("bad " + entry.name + ": " + f.what());
            result.Note(f.code());
        }
    }
    return result.code();
}

}  // namespace quorvex6::backend::cab32
