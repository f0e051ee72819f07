// The result code and text of a file whose decoding failed.
#pragma once
#include "codecs/ish/reader.h"
#include "common/result.h"

namespace quorvex6::backend::ish32 {

// The Failure for a decode that did not end with Status::kOk.
Failure DecodeFailure(codecs::Status status, const codecs::ish::DecodeReport& report);

}  // namespace quorvex6::backend::ish32
