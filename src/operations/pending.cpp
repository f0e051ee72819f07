// Placeholder until the operations land; removed by that change.
#include "control/error_reporting.h"
#include "quorvex6/control.h"
#include "quorvex6/result_codes.h"

namespace quorvex6 {
void Quorvex6::Pack() { SetError(*state_, result::kNotSupported); }
void Quorvex6::Extract() { SetError(*state_, result::kNotSupported); }
void Quorvex6::SFX() { SetError(*state_, result::kNotSupported); }
}  // namespace quorvex6
