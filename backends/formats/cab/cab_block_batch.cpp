#include "formats/cab/cab_block_batch.h"

#include <algorithm>

#include "formats/cab/cab_format.h"
#include "formats/cab/cab_writer.h"

namespace quorvex6::backend::cab {

BlockBatch::Encoders BlockBatch::MakeEncoders(int level, unsigned count) {
    Encoders encoders;
    for (unsigned i = 0; i < count; ++i)
        encoders.push_back(std::make_unique<codecs::mszip::BlockEncoder>(level));
    return encoders;
}

BlockBatch::BlockBatch(std::vector<std::uint8_t> input, std::span<const std::uint8_t> dictionary,
                       Encoders& encoders)
    : input_(std::move(input)), dictionary_(dictionary.begin(), dictionary.end()) {
    packed_.resize((input_.size() + kMaxBlockData - 1) / kMaxBlockData);
    // Here rather than on the threads, whose short lives would leave memory in arenas of
    // their own.
    for (std::vector<std::uint8_t>& packed : packed_) packed.reserve(codecs::mszip::kPackedLimit);
    if (encoders.empty()) {
        for (std::size_t i = 0; i < count(); ++i)
            packed_[i].assign(Block(i).begin(), Block(i).end());
        return;
    }
    // Block i depends only on its input and block i-1's: thread t takes every n-th block.
    const std::size_t threads = std::min(encoders.size(), count());
    failures_.resize(threads);
    try {
        for (std::size_t t = 0; t < threads; ++t)
            threads_.emplace_back(
                [this, &encoders, t, threads] { Encode(*encoders[t], t, threads); });
    } catch (...) {
        for (std::thread& thread : threads_) thread.join();
        throw;
    }
}

BlockBatch::~BlockBatch() {
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
}

std::span<const std::uint8_t> BlockBatch::Block(std::size_t i) const {
    std::size_t from = i * kMaxBlockData;
    return std::span(input_).subspan(from, std::min(kMaxBlockData, input_.size() - from));
}

void BlockBatch::Encode(codecs::mszip::BlockEncoder& encoder, std::size_t first, std::size_t step) {
    try {
        for (std::size_t i = first; i < count(); i += step)
            encoder.Encode(Block(i), i == 0 ? std::span(dictionary_) : Block(i - 1), packed_[i]);
    } catch (...) {
        failures_[first] = std::current_exception();
    }
}

void BlockBatch::Wait() {
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
    for (const std::exception_ptr& failure : failures_)
        if (failure) std::rethrow_exception(failure);
}

void BlockBatch::Write(io::RandomOutput& out) const {
    for (std::size_t i = 0; i < count(); ++i) WriteDataBlock(packed_[i], Block(i).size(), out);
}

}  // namespace quorvex6::backend::cab
