// Byte layout of a HART frame: preamble, delimiter, address, expansion bytes,
// command, byte count, data, check byte. Shared by the transmitter, the
// receiver, the simulated instrument and the frame tools.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantrel {

// Milliseconds on a monotonic clock. The link core never reads a clock: every
// call that needs the time is given it.
using TimeMs = std::int64_t;

constexpr std::uint8_t kPreambleByte = 0xFF;
constexpr std::uint8_t kDelimiterMask = 0x87;  // keeps address form and frame type

// Delimiters after masking with kDelimiterMask.
constexpr std::uint8_t kStxShort = 0x02;
constexpr std::uint8_t kAckShort = 0x06;
constexpr std::uint8_t kBackLong = 0x81;
constexpr std::uint8_t kStxLong = 0x82;
constexpr std::uint8_t kAckLong = 0x86;

// Frame types, bits 2-0 of the delimiter.
constexpr std::uint8_t kFrameTypeBurst = 1;
constexpr std::uint8_t kFrameTypeRequest = 2;
constexpr std::uint8_t kFrameTypeAck = 6;

constexpr std::uint8_t kLongAddressBit = 0x80;  // delimiter bit 7
constexpr std::uint8_t kMasterBit = 0x80;       // address bit 7: primary master
constexpr std::uint8_t kBurstModeBit = 0x40;    // address bit 6
// Below the master and burst-mode bits of the first address byte: the polling
// address of a short frame, the manufacturer bits of a long one.
constexpr std::uint8_t kAddressBits = 0x3F;

constexpr std::size_t kLongAddressSize = 5;
// Manufacturer, device type and the three bytes of the device identification
// number, most significant first.
using LongAddressBytes = std::array<std::uint8_t, kLongAddressSize>;
// Preamble setting of every request of the program: the serial line gets
// kRequestPreambles + 1 bytes of 0xFF before the frame.
constexpr std::uint8_t kRequestPreambles = 6;
constexpr std::size_t kMaxExpansionBytes = 3;
constexpr std::size_t kDataBufferSize = 253;  // txData and rxData
constexpr std::size_t kStatusByteCount = 2;   // response code, field device status
constexpr std::size_t kTrailingByteCount = 3;
constexpr std::uint8_t kMinAcceptedPreambles = 2;
// The longest frame from its delimiter to its check byte: a long address,
// expansion bytes, command, byte count, 255 bytes and the check byte.
constexpr std::size_t kLongestFrameBytes =
    1 + kLongAddressSize + kMaxExpansionBytes + 1 + 1 + 255 + 1;

// Line silence, in ms, that ends any frame in progress.
constexpr TimeMs kSilenceMs = 20;

// Bits of one character on the line: start bit, 8 data bits, odd parity,
// stop bit.
constexpr int kBitsPerByte = 11;
// The time `bytes` take on a line at `baudRate`, rounded up to whole ms.
constexpr TimeMs LineTimeMs(std::size_t bytes, int baudRate) {
  const auto bits = static_cast<TimeMs>(bytes) * kBitsPerByte * 1000;
  return (bits + baudRate - 1) / baudRate;
}

// Returns true when `byte`, masked with 0x87, is one of the five delimiters the
// receiver knows: 0x02, 0x06, 0x81, 0x82, 0x86.
bool IsAcceptedDelimiter(std::uint8_t byte);

constexpr std::uint8_t FrameType(std::uint8_t delimiter) {
  return delimiter & 0x07;
}
constexpr bool HasLongAddress(std::uint8_t delimiter) {
  return (delimiter & kLongAddressBit) != 0;
}
constexpr std::uint8_t ExpansionCount(std::uint8_t delimiter) {
  return (delimiter >> 5) & 0x03;
}
// The polling address a short-frame address byte carries.
constexpr std::uint8_t PollingAddressOf(std::uint8_t addressByte) {
  return addressByte & kAddressBits;
}

// Computes the check byte: the XOR of every byte from the delimiter through the
// last data byte.
std::uint8_t CheckByte(const std::uint8_t* bytes, std::size_t size);

// The bytes a request frame (delimiter to check byte) takes on a serial
// line: `preambles` + 1 bytes of 0xFF in front, three trailing 0xFF after it
// that keep the modem's carrier up until the check byte has gone.
std::vector<std::uint8_t> SerialLineBytes(const std::vector<std::uint8_t>& frame,
                                          std::uint8_t preambles);

}  // namespace vantrel
