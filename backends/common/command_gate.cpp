#include "common/command_gate.h"

#include <new>

#include "common/fault_codes.h"
#include "common/pending_names.h"
#include "common/result.h"

namespace quorvex6::backend {

namespace {
int32_t CodeOf(OutputLog* log) {
    try {
        throw;
    } catch (const Failure& failure) {
        if (log) log->Line(failure.what());
        return failure.code();
    } catch (const io::Error& error) {
        if (log) log->Line(error.what());
        return ResultCodeOf(error.fault());
    } catch (const std::bad_alloc&) {
        if (log) log->Line("out of memory");
        return result::kNoHeapMemory;
    } catch (const std::exception& e) {
        if (log) log->Line(e.what());
        return result::kBrokenData;
    } catch (...) {
        return result::kBrokenData;
    }
}
}  // namespace

int32_t CommandGate::Run(char* out, uint32_t size,
                         const std::function<int32_t(OutputLog&)>& body) noexcept {
    if (running_.exchange(true)) return result::kAlreadyRunning;
    int32_t code = result::kSuccess;
    OutputLog log;
    try {
        TerminationCleanup cleanup;
        code = body(log);
    } catch (...) {
        code = CodeOf(&log);
    }
    try {
        log.CopyTo(out, size);
    } catch (...) {
    }
    running_.store(false);
    return code;
}

int32_t Guarded(const std::function<int32_t()>& body) noexcept {
    try {
        return body();
    } catch (...) {
        return CodeOf(nullptr);
    }
}

}  // namespace quorvex6::backend
