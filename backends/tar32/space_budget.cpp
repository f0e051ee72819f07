#include "tar32/space_budget.h"

#include "common/result.h"
#include "common/system.h"

namespace quorvex6::backend::tar32 {

void SpaceBudget::Take(const std::string& name, uint64_t bytes) {
    if (!left_ || *left_ < bytes) {
        // What cannot be told is not refused; the writes still report a full disk.
        left_ = FreeBytes(folder_).value_or(UINT64_MAX);
        if (*left_ < bytes)
            throw Failure(result::kDiskFull, "not enough free space for " + name + ": " +
                                                 std::to_string(bytes) + " bytes needed, " +
                                                 std::to_string(*left_) + " free");
    }
    *left_ -= bytes;
}

}  // namespace quorvex6::backend::tar32
