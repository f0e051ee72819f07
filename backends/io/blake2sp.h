// BLAKE2sp (RFC 7693's BLAKE2s, eight leaves in parallel under one root): the hash RAR 5.0
// keeps of a file instead of its CRC-32 when asked to. Feed pieces in order, then Final.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace quorvex6::backend::io {

inline constexpr std::size_t kBlake2spSize = 32;
using Blake2spDigest = std::array<std::uint8_t, kBlake2spSize>;

class Blake2sp {
  public:
    Blake2sp();
    void Update(const std::uint8_t* data, std::size_t size);
    Blake2spDigest Final();

    // One BLAKE2s node: its chain value, counter and the block not yet compressed (the last
    // block of a node is compressed only once it is known to be the last).
    struct Node {
        std::array<std::uint32_t, 8> h{};
        std::uint64_t count = 0;
        std::array<std::uint8_t, 64> block{};
        std::size_t filled = 0;
    };

  private:
    static constexpr std::size_t kLeaves = 8;
    std::array<Node, kLeaves> leaves_;
    // Where the next byte goes: the leaf whose 64-byte stripe the stream is in.
    std::size_t leaf_ = 0;
};

}  // namespace quorvex6::backend::io
