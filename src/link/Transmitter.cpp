#include "link/Transmitter.h"

#include "link/HartCommands.h"

namespace vantrel {
namespace {

using TxHandler = void (*)(HartLink&, std::vector<std::uint8_t>&);

void Emit(HartLink& link, std::vector<std::uint8_t>& frame, std::uint8_t byte) {
  link.txChecksum ^= byte;
  frame.push_back(byte);
}

// One 0xFF per call; txCount counts the ones still to come.
void OnPreamble(HartLink& link, std::vector<std::uint8_t>& frame) {
  frame.push_back(kPreambleByte);
  if (link.txCount == 0) {
    link.txState = TX_DELIMITER;
  } else {
    --link.txCount;
  }
}

void OnPreambleStart(HartLink& link, std::vector<std::uint8_t>& frame) {
  link.txCount = link.txPreambles;
  link.txState = TX_PREAMBLE;
  OnPreamble(link, frame);
}

void OnDelimiter(HartLink& link, std::vector<std::uint8_t>& frame) {
  frame.push_back(link.txDelimiter);
  link.txChecksum = link.txDelimiter;
  link.txCount = 0;
  link.txState = TX_ADDRESS;
}

// Sends the short address, or one byte of the long address per call; the
// first address byte always carries the primary-master bit.
void OnAddress(HartLink& link, std::vector<std::uint8_t>& frame) {
  const bool isLong = HasLongAddress(link.txDelimiter);
  std::uint8_t byte = isLong ? link.txLongAddress[link.txCount] : link.pollAddress;
  if (link.txCount == 0) byte |= kMasterBit;
  Emit(link, frame, byte);
  if (!isLong) {
    link.txState = TX_COMMAND;
    return;
  }
  ++link.txCount;
  if (link.txCount >= kLongAddressSize) link.txState = TX_COMMAND;
}

void OnCommand(HartLink& link, std::vector<std::uint8_t>& frame) {
  Emit(link, frame, link.txCommand);
  link.txState = TX_BYTE_COUNT;
}

void OnByteCount(HartLink& link, std::vector<std::uint8_t>& frame) {
  Emit(link, frame, link.txByteCount);
  link.txCount = 0;
  link.txState = link.txByteCount == 0 ? TX_CHECK : TX_DATA;
}

// A byte count above the size of txData sends zeros for the missing positions
// rather than reading past the buffer.
void OnData(HartLink& link, std::vector<std::uint8_t>& frame) {
  Emit(link, frame, link.txCount < kDataBufferSize ? link.txData[link.txCount] : 0);
  ++link.txCount;
  if (link.txCount >= link.txByteCount) link.txState = TX_CHECK;
}

void OnCheck(HartLink& link, std::vector<std::uint8_t>& frame) {
  frame.push_back(link.txChecksum);
  for (std::size_t i = 0; i < kTrailingByteCount; ++i) frame.push_back(kPreambleByte);
  link.txState = TX_SENT;
}

void OnSent(HartLink& link, std::vector<std::uint8_t>& /*frame*/) {
  link.txState = TX_AWAIT;
}

void OnAwait(HartLink& link, std::vector<std::uint8_t>& /*frame*/) {
  link.awaitingResponse = 1;
  link.txState = TX_DONE;
}

constexpr TxHandler kTxHandlers[] = {
    OnPreambleStart, OnPreamble, OnDelimiter, OnAddress, OnCommand,
    OnByteCount,     OnData,     OnCheck,     OnSent,    OnAwait,
};
static_assert(sizeof(kTxHandlers) / sizeof(kTxHandlers[0]) == TX_DONE);

}  // namespace

void BuildRequestFrame(HartLink& link, std::vector<std::uint8_t>& frame) {
  frame.clear();
  link.txState = TX_PREAMBLE_START;
  while (link.txState != TX_DONE) kTxHandlers[link.txState](link, frame);
}

void PrepareCommand0(HartLink& link, std::uint8_t pollAddress) {
  link.txPreambles = kRequestPreambles;
  link.txDelimiter = kStxShort;
  link.pollAddress = pollAddress;
  link.txCommand = CMD_READ_UNIQUE_ID;
  link.txByteCount = 0;
}

}  // namespace vantrel
