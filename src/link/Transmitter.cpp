#include "link/Transmitter.h"

#include "link/HartCommands.h"

namespace vantrel {
namespace {

using TxHandler = void (*)(HartLink&, std::vector<std::uint8_t>&);

void Emit(HartLink& link, std::vector<std::uint8_t>& frame, std::uint8_t byte) {
  link.txChecksum ^= byte;
  frame.push_back(byte);
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
  std::uint8_t byte = isLong ? link.txLongAddress[link.txCount] : link.txPollAddress;
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
    OnDelimiter, OnAddress, OnCommand, OnByteCount, OnData, OnCheck, OnSent, OnAwait,
};
static_assert(sizeof(kTxHandlers) / sizeof(kTxHandlers[0]) == TX_DONE);

}  // namespace

void BuildRequestFrame(HartLink& link, std::vector<std::uint8_t>& frame) {
  frame.clear();
  link.txState = TX_DELIMITER;
  while (link.txState != TX_DONE) kTxHandlers[link.txState](link, frame);
}

Request PrepareCommand0(std::uint8_t pollAddress) {
  Request request;
  request.kind = FrameKind::Short;
  request.pollAddress = pollAddress;
  request.command = CMD_READ_UNIQUE_ID;
  return request;
}

void LoadRequest(HartLink& link, const Request& request) {
  link.txPreambles = request.preambles;
  link.txDelimiter = request.kind == FrameKind::Long ? kStxLong : kStxShort;
  link.txPollAddress = request.pollAddress;
  link.txLongAddress = request.longAddress;
  link.txCommand = request.command;
  link.txByteCount = request.byteCount;
  link.txData = request.data;
}

}  // namespace vantrel
