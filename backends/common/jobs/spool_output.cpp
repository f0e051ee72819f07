#include "common/jobs/spool_output.h"

#include <cstring>

namespace quorvex6::backend::jobs {

bool SpoolOutput::write_at(uint64_t offset, const void* data, size_t n) {
    if (!entry_.direct && Outgrows(offset + n) && !GoDirect()) return false;
    if (entry_.direct) return archive_.write_at(entry_.base + offset, data, n);
    if (entry_.spool.size() < offset + n) entry_.spool.resize(offset + n);
    std::memcpy(entry_.spool.data() + offset, data, n);
    return true;
}

bool SpoolOutput::Outgrows(uint64_t end) const {
    if (end > kSpoolLimit) return true;
    return end > kTurnSpool && entry_.last && pool_.reported() == entry_.number;
}

void SpoolOutput::BeginDirect() {
    entry_.base = archive_.position();
    entry_.direct = true;
}

// Once its turn has come the command's thread writes nothing until this entry's work ends.
bool SpoolOutput::GoDirect() {
    if (!pool_.WaitForTurn(entry_.number)) return false;
    BeginDirect();
    const bool ok = entry_.spool.empty() ||
                    archive_.write_at(entry_.base, entry_.spool.data(), entry_.spool.size());
    std::vector<uint8_t>().swap(entry_.spool);
    return ok;
}

}  // namespace quorvex6::backend::jobs
