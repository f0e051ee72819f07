// Whole blocks of a folder compressed on threads of their own, so that the caller reads the
// next files meanwhile; the blocks are written once the caller has waited for them.
// MSZIP only, and through its own encoder rather than the frame codec table's row: that a block
// needs only the previous block's input, not its encoded state, is MSZIP's alone, and it is
// what lets blocks be encoded side by side.
#pragma once
#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "codecs/mszip/mszip.h"
#include "io/random_access.h"

namespace quorvex6::backend::cab {

class BlockBatch {
  public:
    using Encoders = std::vector<std::unique_ptr<codecs::mszip::BlockEncoder>>;
    // `count` encoders of `level`, as the MSZIP row takes it.
    static Encoders MakeEncoders(int level, unsigned count);

    // Starts on `input` (blocks of 32 KiB, the last one possibly shorter), `dictionary` before
    // its first block. Each encoder serves one thread until Wait returns; without encoders
    // the blocks are stored.
    BlockBatch(std::vector<std::uint8_t> input, std::span<const std::uint8_t> dictionary,
               Encoders& encoders);
    ~BlockBatch();
    BlockBatch(const BlockBatch&) = delete;
    BlockBatch& operator=(const BlockBatch&) = delete;

    std::size_t count() const { return packed_.size(); }
    std::span<const std::uint8_t> Block(std::size_t i) const;
    // Joins the threads; rethrows what one of them threw (again on every call).
    void Wait();
    // After Wait: the blocks as CFDATA at `out`'s position.
    void Write(io::RandomOutput& out) const;

  private:
    void Encode(codecs::mszip::BlockEncoder& encoder, std::size_t first, std::size_t step);

    std::vector<std::uint8_t> input_, dictionary_;
    std::vector<std::vector<std::uint8_t>> packed_;
    std::vector<std::exception_ptr> failures_;  // one a thread
    std::vector<std::thread> threads_;
};

}  // namespace quorvex6::backend::cab
