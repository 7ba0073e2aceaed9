// Transmit state machine: one handler per state, each emitting the bytes of
// its field into the frame being built. A request is encoded once, from its
// delimiter to its check byte; what a transport puts around it (the serial
// line's preambles and trailing bytes) is the transport's own.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "link/HartLink.h"

namespace vantrel {

enum class FrameKind {
  Short,  // the polling address in one byte
  Long,   // the five-byte long address
};

// One request as a value: what the command engine asks the link core to
// send.
struct Request {
  FrameKind kind = FrameKind::Short;
  std::uint8_t pollAddress = 0;    // a short frame's address
  LongAddressBytes longAddress{};  // a long frame's address (master bit added when sent)
  std::uint8_t command = 0;
  std::uint8_t byteCount = 0;
  // A byte count above the buffer's size sends zeros for the missing
  // positions.
  std::array<std::uint8_t, kDataBufferSize> data{};
  // The line gets preambles + 1 bytes of 0xFF in front of the frame.
  std::uint8_t preambles = kRequestPreambles;
};

// The first request of every operation and every search probe: command 0
// (read unique identifier) in a short frame to `pollAddress`.
Request PrepareCommand0(std::uint8_t pollAddress);

// Builds the frame that the transmit fields of `link` describe: delimiter,
// address (master bit set), command, byte count, data, check byte. Leaves
// txState at TX_DONE and sets awaitingResponse.
void BuildRequestFrame(HartLink& link, std::vector<std::uint8_t>& frame);

// Copies `request` into the transmit fields of `link`.
void LoadRequest(HartLink& link, const Request& request);

}  // namespace vantrel
