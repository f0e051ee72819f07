// The decoders one thread extracts members with, one per method, made when first needed: a ZIP
// member's data starts afresh, so one decoder serves every member of its method in turn, and
// making one per member cost small members more than their decoding.
#pragma once
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "codecs/codec.h"

namespace quorvex6::backend::zip {

class MemberDecoders {
  public:
    // nullptr for stored data and for a method no codec here decodes.
    codecs::Decoder* For(uint16_t method);

  private:
    std::vector<std::pair<uint16_t, std::unique_ptr<codecs::Decoder>>> decoders_;
};

}  // namespace quorvex6::backend::zip
