// A file read from start to end as the Source the ISH codec pulls, keeping the file call's
// Failure (a read error stays 0x801A) for the caller to rethrow.
#pragma once
#include <string>

#include "common/file_sink.h"
#include "common/file_system.h"
#include "io/stream.h"

namespace quorvex6::backend::ish32 {

class FileSource final : public io::Source {
  public:
    explicit FileSource(const std::string& path) : file_(path) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        size_t got = 0;
        if (!kept_.Try([&] { got = file_.Read(data, size); })) return -1;
        return static_cast<std::ptrdiff_t>(got);
    }
    void Rethrow() const { kept_.Rethrow(); }

  private:
    InputFile file_;
    KeptFailure kept_;
};

}  // namespace quorvex6::backend::ish32
