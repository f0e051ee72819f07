// The running flag and the boundary of every command call: one CommandGate per library, the
// only process-wide state a library keeps besides its handle table (the binary contract asks
// GetRunning for the whole process) and the pending-name registry. Failures thrown inside become
// result codes and log lines; nothing escapes into the caller. While a command runs, a
// termination signal removes its work files first (pending_names.h).
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>

#include "common/output_log.h"

namespace quorvex6::backend {

class CommandGate {
  public:
    bool running() const { return running_.load(); }

    // 0x801F while another command of this library runs. The log goes to `out` afterwards.
    int32_t Run(char* out, uint32_t size, const std::function<int32_t(OutputLog&)>& body) noexcept;

  private:
    std::atomic<bool> running_{false};
};

// Same boundary for calls that have no output buffer (open, find, check, close).
int32_t Guarded(const std::function<int32_t()>& body) noexcept;

}  // namespace quorvex6::backend
