// The link record: receive fields, transmit fields and the operation fields
// that the link and the command engine share. One instance per link; it is
// only ever touched on the thread that owns the serial port.
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

// Transmit states, run from TX_PREAMBLE_START to TX_DONE for every request.
enum TxState : std::int32_t {
  TX_PREAMBLE_START = 0,
  TX_PREAMBLE = 1,
  TX_DELIMITER = 2,
  TX_ADDRESS = 3,
  TX_COMMAND = 4,
  TX_BYTE_COUNT = 5,
  TX_DATA = 6,
  TX_CHECK = 7,
  TX_SENT = 8,
  TX_AWAIT = 9,
  TX_DONE = 10,
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
  std::int32_t txState = TX_PREAMBLE_START;
  std::uint8_t txCount = 0;
  std::uint8_t txChecksum = 0;
  std::uint8_t txPreambles = kRequestPreambles;  // the frame gets txPreambles + 1 bytes of 0xFF
  std::uint8_t txDelimiter = 0;
  LongAddressBytes txLongAddress{};
  std::uint8_t txCommand = 0;
  std::uint8_t txByteCount = 0;
  std::array<std::uint8_t, kDataBufferSize> txData{};

  // Short address of the next short-frame request: the polling address chosen
  // by the user, or the one the search is probing.
  std::uint8_t pollAddress = 0;

  // --- operation in progress (set by the command engine) ---
  std::uint8_t operationCode = 0;
  std::uint8_t operationStep = 0;

  // 1 from the end of a transmission until a complete response or burst frame
  // arrives.
  std::uint8_t awaitingResponse = 0;
};

}  // namespace vantrel
