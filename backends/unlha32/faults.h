// How the format's faults become this library's failures: the one place where an LHA result
// code would differ from the shared table (none does today).
#pragma once
#include <cstdint>
#include <string>

#include "common/fault_codes.h"
#include "common/result.h"
#include "io/fault.h"

namespace quorvex6::backend::unlha32 {

inline int32_t CodeOf(backend::io::Fault fault) { return backend::ResultCodeOf(fault); }

// `context` (a path, or "") goes before the format's own text.
inline backend::Failure FailureOf(const backend::io::Error& error, const std::string& context) {
    return backend::Failure(CodeOf(error.fault()),
                            context.empty() ? error.what() : context + ": " + error.what());
}

// Runs format work that writes through `kept` (a FileSink or FileOutput of common/file_sink.h):
// the file call's own Failure wins over the kWrite it caused in the format (a full disk stays
// 0x8005), and any other fault becomes this library's Failure.
template <class Kept, class Work>
void RunFormatWork(const Kept& kept, Work&& work) {
    try {
        work();
    } catch (const backend::io::Error& error) {
        kept.Rethrow();
        throw FailureOf(error, "");
    }
    kept.Rethrow();
}

}  // namespace quorvex6::backend::unlha32
