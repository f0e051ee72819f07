// How one entry's work ends when it runs apart from the command's thread (extraction pools,
// write queues): a Failure of that entry alone is kept for its report; a full disk, or anything
// that is no Failure, ends the whole command and is kept as `fatal` for the command's thread.
#pragma once
#include <exception>
#include <optional>

#include "common/result.h"

namespace quorvex6::backend {

template <class Body>
std::optional<Failure> RunEntryWork(Body&& body, std::exception_ptr& fatal) noexcept {
    try {
        body();
    } catch (const Failure& f) {
        if (f.code() != result::kDiskFull) return f;
        fatal = std::current_exception();
    } catch (...) {
        fatal = std::current_exception();
    }
    return std::nullopt;
}

}  // namespace quorvex6::backend
