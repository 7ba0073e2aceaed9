// Receive ring: 1024 bytes with 16-bit read and write indexes that wrap from
// 1023 to 0. Empty when both indexes are equal, so it holds at most 1023
// pending bytes; the link core drains it after every batch it appends.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantrel {

class RxRing {
 public:
  static constexpr std::size_t kSize = 1024;
  static constexpr std::size_t kCapacity = kSize - 1;

  bool empty() const { return writeIndex_ == readIndex_; }
  std::size_t pending() const { return (writeIndex_ + kSize - readIndex_) % kSize; }

  // Appends one byte. The caller keeps pending() below kCapacity; the ring
  // itself does not test for room.
  void push(std::uint8_t byte) {
    data_[writeIndex_] = byte;
    writeIndex_ = static_cast<std::uint16_t>((writeIndex_ + 1) % kSize);
  }

  // Takes the oldest byte. Only valid when !empty().
  std::uint8_t pop() {
    const std::uint8_t byte = data_[readIndex_];
    readIndex_ = static_cast<std::uint16_t>((readIndex_ + 1) % kSize);
    return byte;
  }

 private:
  std::array<std::uint8_t, kSize> data_{};
  std::uint16_t writeIndex_ = 0;
  std::uint16_t readIndex_ = 0;
};

}  // namespace vantrel
