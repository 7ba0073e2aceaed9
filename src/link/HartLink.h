// The link record: the receive and transmit fields of the link core, its own
// and no one else's (the command engine hands it requests as values). One
// instance per link; it is only ever touched on the thread that owns the
// port.
#pragma once

#include <array>
#include <cstdint>

#include "link/HartFrame.h"

namespace vantrel {

// Receive states. Each of 0 to 7 has a handler for one byte; RX_FRAME_DONE
// marks a valid response that has just been handed on.
enum RxState : std::int32_t {
  RX_IDLE = 0,
  RX_PREAMBLE = 1,
  RX_ADDRESS = 2,
  RX_EXPANSION = 3,
  RX_COMMAND = 4,
  RX_BYTE_COUNT = 5,
  RX_DATA = 6,
  RX_CHECK = 7,
  RX_FRAME_DONE = 128,
};

// Transmit states, run from TX_DELIMITER to TX_DONE for every request. The
// preambles in front of a frame are the serial transport's.
enum TxState : std::int32_t {
  TX_DELIMITER = 0,
  TX_ADDRESS = 1,
  TX_COMMAND = 2,
  TX_BYTE_COUNT = 3,
  TX_DATA = 4,
  TX_CHECK = 5,
  TX_SENT = 6,
  TX_AWAIT = 7,
  TX_DONE = 8,
};

struct HartLink {
  // --- receive side ---
  std::int32_t rxState = RX_IDLE;
  std::uint8_t rxByte = 0;
  std::uint8_t rxCount = 0;  // preamble count, then index within a field
  std::uint8_t rxChecksum = 0;
  std::uint8_t rxDelimiter = 0;
  std::uint8_t rxExpansionCount = 0;
  LongAddressBytes rxAddress{};
  LongAddressBytes burstAddress{};
  std::array<std::uint8_t, kMaxExpansionBytes> rxExpansion{};
  std::uint8_t rxCommand = 0;
  std::uint8_t burstCommand = 0;
  std::uint8_t rxByteCount = 0;
  std::uint8_t responseCode = 0;
  std::uint8_t deviceStatus = 0;
  std::array<std::uint8_t, kDataBufferSize> rxData{};  // data positions 2..252
  std::array<std::uint8_t, kDataBufferSize> burstData{};

  // --- transmit side ---
  std::int32_t txState = TX_DELIMITER;
  std::uint8_t txCount = 0;
  std::uint8_t txChecksum = 0;
  std::uint8_t txPreambles = kRequestPreambles;  // the line gets txPreambles + 1 bytes of 0xFF
  std::uint8_t txDelimiter = 0;
  std::uint8_t txPollAddress = 0;  // the address of a short frame
  LongAddressBytes txLongAddress{};
  std::uint8_t txCommand = 0;
  std::uint8_t txByteCount = 0;
  std::array<std::uint8_t, kDataBufferSize> txData{};

  // 1 from the end of a transmission until a complete response or burst frame
  // arrives.
  std::uint8_t awaitingResponse = 0;
};

}  // namespace vantrel
