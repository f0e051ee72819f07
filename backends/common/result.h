// The one way a library reports failure inside a command: throw Failure, caught at the entry
// point and turned into the result code (and a log line).
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "quorvex6/result_codes.h"

namespace quorvex6::backend {

namespace result = quorvex6::result;

class Failure : public std::runtime_error {
  public:
    Failure(int32_t code, const std::string& what) : std::runtime_error(what), code_(code) {}
    int32_t code() const { return code_; }

  private:
    int32_t code_;
};

// Keeps the first error of a command that goes on after per-entry failures.
class ResultKeeper {
  public:
    void Note(int32_t code) {
        if (code_ == result::kSuccess) code_ = code;
    }
    int32_t code() const { return code_; }

  private:
    int32_t code_ = result::kSuccess;
};

}  // namespace quorvex6::backend
